#include "OfficeSession.h"
#include "PagePicture.h"
#include "WordApplication.h"
#include "WorkThreads.h"

#include "office/OfficeModule.h"
#include "shell/Program.h"

#include <QCoreApplication>
#include <QFile>

#include <memory>
#include <mutex>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

const QString NoStartAfterEnd = QStringLiteral("The program is ending: no document engine is started.");

// The office is started on first use, or ahead of it in the background, and kept running: a
// second "Word.Application" reuses it. Every member may be used from any thread.
class LibreOfficeModule : public OfficeModule
{
public:
    Object createApplication() override
    {
        for (;;) {
            if (Program::hasEnded())
                throw RuntimeError(NoStartAfterEnd);
            std::shared_ptr<Start> start;
            std::shared_ptr<OfficeSession> session;
            {
                std::lock_guard lock(mMutex);
                start = mStarting;
                session = mSession;
            }
            if (start) {
                start->job->wait();
                if (Program::hasEnded())
                    throw RuntimeError(NoStartAfterEnd);
                if (!start->failure.isEmpty())
                    throw RuntimeError(start->failure);
                return Object(std::make_shared<WordApplication>(start->session));
            }
            if (session && session->answers())
                return Object(std::make_shared<WordApplication>(session));
            if (session) {
                // It died or was ended: clean up after it and start a fresh one.
                session->shutdown();
            }
            std::lock_guard lock(mMutex);
            if (session && mSession == session)
                mSession.reset();
            if (!mStarting && !mSession)
                beginStart(false);
        }
    }

    void startInBackground() override
    {
        std::lock_guard lock(mMutex);
        if (!Program::hasEnded() && !mStarting && !(mSession && mSession->isAlive()))
            beginStart(true);
    }

    void setStartFailureHandler(std::function<void(const QString &cause)> handler) override
    {
        std::lock_guard lock(mMutex);
        mFailureHandler = std::move(handler);
    }

    QString unavailableCause() override
    {
        QString cause;
        const QString program = officeProgram();
        if (::access(QFile::encodeName(program).constData(), X_OK) != 0)
            cause = QStringLiteral("The document engine is not installed: %1 is missing.").arg(program);
        for (const char *library : {"types.rdb", "types/offapi.rdb", "services.rdb"}) {
            const QString path = officeProgramFolder() + QLatin1Char('/') + QLatin1String(library);
            if (cause.isEmpty() && !QFile::exists(path))
                cause = QStringLiteral("The document engine is not installed completely: %1 is missing.").arg(path);
        }
        if (cause.isEmpty())
            cause = ProfileSlot::folderProblem();
        if (!cause.isEmpty()) {
            std::lock_guard lock(mMutex);
            mLastFailure = cause;
        }
        return cause;
    }

    QString lastFailure() const override
    {
        std::lock_guard lock(mMutex);
        return mLastFailure;
    }

    void setOfficeProgram(const QString &path) override
    {
        std::lock_guard lock(mMutex);
        mProgram = path;
    }

    void shutdown() override
    {
        std::shared_ptr<Start> start;
        std::shared_ptr<OfficeSession> starting;
        std::shared_ptr<OfficeSession> session;
        {
            std::lock_guard lock(mMutex);
            start = std::exchange(mStarting, nullptr);
            session = std::exchange(mSession, nullptr);
            mSlot.reset();
            if (start) {
                start->cancelled = true;
                starting = start->session;
            }
        }
        if (starting)
            starting->shutdown(); // killed at once: its start fails within milliseconds
        if (session)
            session->shutdown();
        // Its thread lets go of the office's files and profile.
        if (start)
            start->job->waitPlainly(500);
    }

    qint64 processId() const override
    {
        std::lock_guard lock(mMutex);
        return mSession && mSession->isAlive() ? mSession->processId() : 0;
    }

    void setTimeouts(std::chrono::milliseconds start, std::chrono::milliseconds call) override
    {
        std::lock_guard lock(mMutex);
        mStartTimeout = start;
        mCallTimeout = call;
        if (mSession)
            mSession->setCallTimeout(call);
    }

    std::chrono::nanoseconds officeTime() const override { return std::chrono::nanoseconds(mOfficeTime->load()); }

    QImage renderFirstPage(const QString &documentPath, double dotsPerInch) override
    {
        std::shared_ptr<OfficeSession> session;
        {
            std::lock_guard lock(mMutex);
            session = mSession;
        }
        if (!session || !session->isAlive())
            throw RuntimeError(QStringLiteral("The document engine is not running."));
        return renderSavedFirstPage(*session, documentPath, dotsPerInch);
    }

private:
    struct Start
    {
        std::shared_ptr<Job> job;
        std::shared_ptr<OfficeSession> session; // once made
        QString failure;                        // when it failed
        bool cancelled = false;
    };

    QString officeProgram() const
    {
        std::lock_guard lock(mMutex);
        return mProgram.isEmpty() ? defaultOfficeProgram() : mProgram;
    }

    // Starts an office on a work thread (the office lives as long as that thread: as long as
    // the program). Call with the lock held.
    void beginStart(bool background)
    {
        auto start = std::make_shared<Start>();
        mStarting = start;
        const QString program = mProgram.isEmpty() ? defaultOfficeProgram() : mProgram;
        const auto startTimeout = mStartTimeout;
        const auto callTimeout = mCallTimeout;
        start->job = WorkThreads::post([this, start, program, startTimeout, callTimeout, background] {
            std::shared_ptr<OfficeSession> session;
            QString failure;
            try {
                std::shared_ptr<const ProfileSlot> slot;
                {
                    std::lock_guard lock(mMutex);
                    if (!mSlot)
                        mSlot = std::make_shared<ProfileSlot>();
                    slot = mSlot;
                }
                session = std::make_shared<OfficeSession>(slot, program, callTimeout, mOfficeTime);
                bool cancelled = false;
                {
                    std::lock_guard lock(mMutex);
                    cancelled = start->cancelled;
                    if (!cancelled)
                        start->session = session;
                }
                if (cancelled)
                    throw RuntimeError(QStringLiteral("The document engine's start was cancelled."));
                session->start(startTimeout);
            } catch (const RuntimeError &error) {
                failure = error.description();
            }
            std::function<void(const QString &)> handler;
            {
                std::lock_guard lock(mMutex);
                start->failure = failure;
                if (mStarting == start) {
                    mStarting.reset();
                    if (failure.isEmpty())
                        mSession = session;
                }
                if (!failure.isEmpty() && !start->cancelled) {
                    mLastFailure = failure.simplified();
                    if (background && !Program::hasEnded())
                        handler = mFailureHandler;
                }
            }
            if (!failure.isEmpty() && session)
                session->shutdown();
            // To the program's main thread, from its event loop.
            if (handler && QCoreApplication::instance())
                QMetaObject::invokeMethod(QCoreApplication::instance(),
                                          [handler, cause = failure.simplified()] { handler(cause); },
                                          Qt::QueuedConnection);
        });
    }

    mutable std::mutex mMutex;
    std::shared_ptr<std::atomic<qint64>> mOfficeTime = std::make_shared<std::atomic<qint64>>(0);
    std::shared_ptr<const ProfileSlot> mSlot;
    std::shared_ptr<OfficeSession> mSession; // the office that runs
    std::shared_ptr<Start> mStarting;        // the start under way
    std::function<void(const QString &)> mFailureHandler;
    QString mLastFailure;
    QString mProgram;
    std::chrono::milliseconds mStartTimeout = 15s;
    std::chrono::milliseconds mCallTimeout = 10s;
};

} // namespace

extern "C" Q_DECL_EXPORT OfficeModule *mistlefoldOfficeModule()
{
    // Never destroyed: when the program ends without shutting the office down, the office dies
    // with it and its watcher removes the files.
    static auto *module = new LibreOfficeModule;
    return module;
}
