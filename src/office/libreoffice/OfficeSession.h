#pragma once

#include "CallWatchdog.h"
#include "OfficeProcess.h"
#include "Uno.h"

#include "shell/RuntimeError.h"

#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include <QString>
#include <QThread>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>

// One running office and our connection to it. Every call into the office goes through call(),
// which turns the office's exceptions into RuntimeErrors with a description, refuses at once when
// the office has died, and lets the watchdog end an office that does not answer.
class OfficeSession
{
public:
    // Starts an office on the profile and connects to it; throws RuntimeError with a description
    // when it does not start within startTimeout.
    // officeTime accumulates the time spent in calls into the office.
    OfficeSession(std::shared_ptr<const ProfileSlot> slot, std::chrono::milliseconds startTimeout,
                  std::chrono::milliseconds callTimeout, std::shared_ptr<std::chrono::nanoseconds> officeTime);
    ~OfficeSession();

    OfficeSession(const OfficeSession &) = delete;
    OfficeSession &operator=(const OfficeSession &) = delete;

    // False once the office has died, was ended, or the connection broke.
    bool isAlive();
    // Whether the office answers a call now (an office killed a moment ago may not have been
    // noticed yet).
    bool answers();
    // Ends the office: asks it to terminate, kills it if it does not, removes its files.
    void shutdown();

    qint64 processId() const { return mProcess.pid(); }
    void setCallTimeout(std::chrono::milliseconds timeout) { mWatchdog.setTimeout(timeout); }

    const Reference<css::uno::XComponentContext> &context() const { return mContext; }
    const Reference<css::frame::XDesktop2> &desktop() const { return mDesktop; }
    // A path for a short-lived file of ours in the office's temporary folder.
    QString temporaryPath(const QString &suffix);

    // Runs work (office calls); "what" completes the description of a failure: "The document
    // engine could not <what>: ...".
    template <typename Work>
    auto call(const QString &what, Work &&work) -> decltype(work())
    {
        // Calls from two threads (a page picture made on a worker thread) are taken in turn.
        const std::lock_guard lock(mCallMutex);
        ensureAlive();
        CallScope scope(*this);
        try {
            return work();
        } catch (const css::uno::RuntimeException &error) {
            settle(); // a lost connection shows first as a failing call
            throw RuntimeError(failure(what, error));
        } catch (const css::uno::Exception &error) {
            throw RuntimeError(failure(what, error));
        }
    }

    // Throws RuntimeError when the office is no longer there.
    void ensureAlive();

private:
    struct CallScope
    {
        explicit CallScope(OfficeSession &session);
        ~CallScope();
        OfficeSession &session;
        std::chrono::steady_clock::time_point start;
    };

    void connect(std::chrono::milliseconds startTimeout);
    void configure();
    void settle();
    // Whether the office process has exited, waiting up to ms. The process is watched only from
    // the thread that started it; other threads learn of a dead office from the bridge.
    bool processExited(int ms);
    QString failure(const QString &what, const css::uno::Exception &error);

    OfficeProcess mProcess;
    CallWatchdog mWatchdog;
    std::shared_ptr<std::atomic<bool>> mBridgeDisposed = std::make_shared<std::atomic<bool>>(false);
    Reference<css::bridge::XBridge> mBridge;
    Reference<css::uno::XComponentContext> mContext;
    Reference<css::frame::XDesktop2> mDesktop;
    bool mEnded = false;
    int mCallDepth = 0;
    std::recursive_mutex mCallMutex;
    QThread *const mProcessThread = QThread::currentThread();
    std::shared_ptr<std::chrono::nanoseconds> mOfficeTime;
    int mTemporaryFiles = 0;
};
