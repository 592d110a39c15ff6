#pragma once

#include "CallWatchdog.h"
#include "KeptDocument.h"
#include "OfficeProcess.h"
#include "Uno.h"

#include "shell/RuntimeError.h"

#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>

// One running office and our connection to it. Every call into the office goes through call(),
// which runs the work on a work thread of the module while the calling thread waits (the
// program's main thread serving its events, but not user input, meanwhile: see Job::wait),
// turns the office's exceptions
// into RuntimeErrors with a description, refuses at once when the office has died, and lets the
// watchdog end an office that does not answer within the call bound. call() may be used from
// several threads at once.
class OfficeSession
{
public:
    // An office on the profile, not started yet: start() starts it. program is the office
    // program to run; officeTime accumulates the time spent in calls into the office, in
    // nanoseconds.
    OfficeSession(std::shared_ptr<const ProfileSlot> slot, const QString &program,
                  std::chrono::milliseconds callTimeout, std::shared_ptr<std::atomic<qint64>> officeTime);
    ~OfficeSession();

    OfficeSession(const OfficeSession &) = delete;
    OfficeSession &operator=(const OfficeSession &) = delete;

    // Starts the office and connects to it, blocking until it answers. Throws RuntimeError with
    // a description when it cannot be started, does not answer within startTimeout, or the
    // session is shut down meanwhile. The office dies with the thread that starts it: run this on
    // a work thread (WorkThreads), never on a thread that may end before the program.
    void start(std::chrono::milliseconds startTimeout);

    // False once the office has died, was ended, or the connection broke.
    bool isAlive();
    // Whether the office answers a call now (an office killed a moment ago may not have been
    // noticed yet).
    bool answers();
    // Whether the last start failed because the office stopped by itself while starting (as it
    // does on a damaged profile), rather than by a time-out or a cancellation.
    bool stoppedWhileStarting() const { return mStoppedWhileStarting; }
    // Ends the office, from any thread, within about a second: an idle office is asked to
    // terminate (and killed when it has not within half a second); it is killed at once when a
    // call is in flight, the start is under way, or the program has ended. A start under way
    // fails. The office is never started again.
    void shutdown();

    qint64 processId() const { return mProcess.pid(); }
    void setCallTimeout(std::chrono::milliseconds timeout) { mWatchdog.setTimeout(timeout); }

    const Reference<css::uno::XComponentContext> &context() const { return mContext; }
    const Reference<css::frame::XDesktop2> &desktop() const { return mDesktop; }
    // A path for a short-lived file of ours in the office's temporary folder.
    QString temporaryPath(const QString &suffix);

    // Opens the document at path hidden, with macros never run, as itself (a template is not
    // made into a new document), read-only when asked. Throws RuntimeError when it cannot be
    // found or opened.
    Reference<css::lang::XComponent> loadDocument(const QString &path, bool readOnly);
    // Closes a document without saving it. Throws RuntimeError when the office cannot.
    void closeDocument(const Reference<css::lang::XComponent> &model);

    // Runs work (office calls) and returns its result; "what" completes the description of a
    // failure: "The document engine could not <what>: ...". Work runs on another thread: it
    // must not touch the program's windows, the clipboard or other objects of the GUI thread.
    // A call made from inside work is part of the call around it. When the program ends while
    // the call waits, the office is killed and the call fails at once.
    // bound, when given, takes the place of the call bound.
    template <typename Work>
    auto call(const QString &what, Work &&work, std::optional<std::chrono::milliseconds> bound = std::nullopt)
        -> decltype(work())
    {
        using Result = decltype(work());
        if constexpr (std::is_void_v<Result>) {
            run(what, bound, [&] { work(); });
        } else {
            std::optional<Result> result;
            run(what, bound, [&] { result.emplace(work()); });
            return std::move(*result);
        }
    }

    // Throws RuntimeError when the office is no longer there.
    void ensureAlive();

    // How many documents this office has opened.
    int loads() const { return mLoads; }
    // The document this office keeps between uses.
    DocumentKeeper &keeper() { return mKeeper; }

    // Uses of the office: every object of the server that may call into it holds one while it
    // lives, and so does a call made without one (the page picture). When the last use ends,
    // the idle handler runs on that thread; the module may then replace a worn office. A use
    // begins only while another is held, or under the module's lock.
    void beginUse();
    void endUse();
    int uses() const { return mUses; }
    // How many uses have begun so far: a use that came and went shows here.
    std::uint64_t usesBegun() const { return mUsesBegun; }
    // Set before the session is handed out.
    void setIdleHandler(std::function<void()> handler) { mIdleHandler = std::move(handler); }

private:
    struct CallScope
    {
        CallScope(OfficeSession &session, std::optional<std::chrono::milliseconds> bound = std::nullopt);
        ~CallScope();
        OfficeSession &session;
        std::uint64_t ticket = 0;
        std::chrono::steady_clock::time_point start;
    };

    void run(const QString &what, std::optional<std::chrono::milliseconds> bound, const std::function<void()> &work);
    void connect(std::chrono::milliseconds startTimeout);
    void configure();
    void settle();
    void killNow();
    void disposeBridge();
    QString failure(const QString &what, const css::uno::Exception &error);

    OfficeProcess mProcess;
    CallWatchdog mWatchdog;
    std::shared_ptr<std::atomic<bool>> mBridgeDisposed = std::make_shared<std::atomic<bool>>(false);
    std::mutex mConnectionMutex; // the bridge being set while shutdown may dispose it
    // A call begins, or shutdown decides between asking the office to end and killing it: never
    // both at once, so that no call starts while the office is being asked to end.
    std::mutex mCallGate;
    Reference<css::bridge::XBridge> mBridge;
    Reference<css::uno::XComponentContext> mContext;
    Reference<css::frame::XDesktop2> mDesktop;
    std::atomic<bool> mConnected{false};
    std::atomic<bool> mStoppedWhileStarting{false};
    std::atomic<bool> mEnded{false};
    std::atomic<int> mCallsInFlight{0};
    std::shared_ptr<std::atomic<qint64>> mOfficeTime;
    std::atomic<int> mTemporaryFiles{0};
    std::atomic<int> mLoads{0};
    std::atomic<int> mUses{0};
    std::atomic<std::uint64_t> mUsesBegun{0};
    std::function<void()> mIdleHandler;
    DocumentKeeper mKeeper;
};
