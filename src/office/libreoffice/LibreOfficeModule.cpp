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
#include <optional>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// An office keeps something of every document it has opened, even once closed, and grows by it
// (some 80 KB a generation of the invitation, which opens three documents). Once it has opened
// this many, it is ended and a fresh one started in the background, at a moment when nothing uses
// it: that bounds the growth to what some 50 generations leave, for a start of about a second in
// the background every 50 generations.
constexpr int RecycleAfterLoads = 150;
// How long nothing must have used a worn office before it is replaced: well over the hand-over
// from one Word.Application to the next within one click (0.1 to 0.2 ms measured), so that a
// click is not made to wait for a fresh office in its middle. A page picture asked for a moment
// later waits for the fresh office instead.
constexpr std::chrono::milliseconds RecycleQuiet{10};

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
            std::optional<SessionUse> use;
            {
                std::lock_guard lock(mMutex);
                start = mStarting;
                if (!start && mSession)
                    use.emplace(mSession);
            }
            if (start) {
                start->job->wait();
                if (Program::hasEnded())
                    throw RuntimeError(NoStartAfterEnd);
                if (!start->failure.isEmpty())
                    throw RuntimeError(start->failure);
                continue; // its office now runs
            }
            if (use && use->session()->answers())
                return Object(std::make_shared<WordApplication>(use->session()));
            if (use) {
                // It died or was ended: clean up after it and start a fresh one.
                use->session()->shutdown();
            }
            std::lock_guard lock(mMutex);
            if (use && mSession == use->session())
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
        std::shared_ptr<OfficeSession> retiring;
        std::shared_ptr<OfficeSession> session;
        {
            std::lock_guard lock(mMutex);
            start = std::exchange(mStarting, nullptr);
            session = std::exchange(mSession, nullptr);
            mSlot.reset();
            if (start) {
                start->cancelled = true;
                starting = start->session;
                retiring = start->retiring;
            }
        }
        if (retiring)
            retiring->shutdown(); // killed at once when its end is under way
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

    void setRecycleAfterLoads(int loads) override
    {
        std::lock_guard lock(mMutex);
        mRecycleAfterLoads = qMax(1, loads);
    }

    QImage renderFirstPage(const QString &documentPath, double dotsPerInch) override
    {
        std::shared_ptr<Start> start;
        {
            std::lock_guard lock(mMutex);
            start = mStarting;
        }
        // A fresh office being started (in place of a worn one, say) is waited for.
        if (start)
            start->job->wait();
        std::optional<SessionUse> use;
        {
            std::lock_guard lock(mMutex);
            if (mSession && mSession->isAlive())
                use.emplace(mSession);
        }
        if (!use)
            throw RuntimeError(QStringLiteral("The document engine is not running."));
        return renderSavedFirstPage(*use->session(), documentPath, dotsPerInch);
    }

private:
    struct Start
    {
        std::shared_ptr<Job> job;
        std::shared_ptr<OfficeSession> retiring; // the worn office it replaces, ended first
        std::shared_ptr<OfficeSession> session;  // once made
        QString failure;                         // when it failed
        bool cancelled = false;
    };

    // A use of an office (OfficeSession::beginUse) for as long as this lives. Begun under the
    // lock, so that the office is not replaced between being looked up and being used.
    class SessionUse
    {
    public:
        explicit SessionUse(std::shared_ptr<OfficeSession> session) : mSession(std::move(session))
        {
            mSession->beginUse();
        }
        ~SessionUse() { mSession->endUse(); }
        SessionUse(const SessionUse &) = delete;
        SessionUse &operator=(const SessionUse &) = delete;
        const std::shared_ptr<OfficeSession> &session() const { return mSession; }

    private:
        std::shared_ptr<OfficeSession> mSession;
    };

    QString officeProgram() const
    {
        std::lock_guard lock(mMutex);
        return mProgram.isEmpty() ? defaultOfficeProgram() : mProgram;
    }

    // Whether the running office is worn and nothing uses it, so that it may be replaced. Call
    // with the lock held.
    bool replaceableLocked(const std::shared_ptr<OfficeSession> &session) const
    {
        return session && session == mSession && !mStarting && !Program::hasEnded()
            && session->loads() >= mRecycleAfterLoads && session->uses() == 0;
    }

    // The last use of an office has ended. A worn one is replaced once nothing has used it for
    // a quiet moment, watched on a work thread.
    void sessionIdle(const std::shared_ptr<OfficeSession> &session)
    {
        std::lock_guard lock(mMutex);
        if (mRecycleWatched || !replaceableLocked(session))
            return;
        mRecycleWatched = true;
        WorkThreads::post([this, weak = std::weak_ptr(session), begun = session->usesBegun()]() mutable {
            for (;;) {
                std::this_thread::sleep_for(RecycleQuiet);
                const std::shared_ptr<OfficeSession> watched = weak.lock();
                std::lock_guard lock(mMutex);
                if (!replaceableLocked(watched)) {
                    mRecycleWatched = false; // used again: its next idle moment is watched anew
                    return;
                }
                if (watched->usesBegun() != begun) {
                    begun = watched->usesBegun(); // used and let go meanwhile: not quiet yet
                    continue;
                }
                mRecycleWatched = false;
                mSession.reset();
                beginStart(true, watched);
                return;
            }
        });
    }

    // Starts an office on a work thread (the office lives as long as that thread: as long as
    // the program), after ending the worn one it replaces, if any (both use the one profile).
    // Call with the lock held.
    void beginStart(bool background, std::shared_ptr<OfficeSession> retiring = nullptr)
    {
        auto start = std::make_shared<Start>();
        start->retiring = std::move(retiring);
        mStarting = start;
        const QString program = mProgram.isEmpty() ? defaultOfficeProgram() : mProgram;
        const auto startTimeout = mStartTimeout;
        const auto callTimeout = mCallTimeout;
        start->job = WorkThreads::post([this, start, program, startTimeout, callTimeout, background] {
            std::shared_ptr<OfficeSession> session;
            QString failure;
            try {
                if (start->retiring)
                    start->retiring->shutdown();
                std::shared_ptr<const ProfileSlot> slot;
                {
                    std::lock_guard lock(mMutex);
                    if (start->cancelled) // while the worn office was being ended
                        throw RuntimeError(QStringLiteral("The document engine's start was cancelled."));
                    if (!mSlot)
                        mSlot = std::make_shared<ProfileSlot>();
                    slot = mSlot;
                }
                for (bool freshProfile = false;; freshProfile = true) {
                    session = std::make_shared<OfficeSession>(slot, program, callTimeout, mOfficeTime);
                    session->setIdleHandler([this, weak = std::weak_ptr(session)] {
                        if (const auto idle = weak.lock())
                            sessionIdle(idle);
                    });
                    bool cancelled = false;
                    {
                        std::lock_guard lock(mMutex);
                        cancelled = start->cancelled;
                        if (!cancelled)
                            start->session = session;
                    }
                    if (cancelled)
                        throw RuntimeError(QStringLiteral("The document engine's start was cancelled."));
                    try {
                        session->start(startTimeout);
                        break;
                    } catch (const RuntimeError &error) {
                        // A damaged profile stops every start: it is set aside (kept to be looked
                        // at) and the office tried once more on a fresh one, which it makes.
                        bool retry = false;
                        {
                            std::lock_guard lock(mMutex);
                            retry = !freshProfile && !start->cancelled && !Program::hasEnded()
                                && session->stoppedWhileStarting();
                        }
                        if (!retry || !slot->setAside(error.description()))
                            throw;
                        session->shutdown();
                    }
                }
                try {
                    warmUp(*session);
                } catch (const RuntimeError &) {
                    // Only slower: an office that cannot do this fails the first real use as well,
                    // which then tells why.
                }
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
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(), [handler, cause = failure.simplified()] { handler(cause); },
                    Qt::QueuedConnection);
        });
    }

    mutable std::mutex mMutex;
    std::shared_ptr<std::atomic<qint64>> mOfficeTime = std::make_shared<std::atomic<qint64>>(0);
    std::shared_ptr<const ProfileSlot> mSlot;
    std::shared_ptr<OfficeSession> mSession; // the office that runs
    std::shared_ptr<Start> mStarting;        // the start under way
    int mRecycleAfterLoads = RecycleAfterLoads;
    bool mRecycleWatched = false; // a worn office's quiet moment is being watched for
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
