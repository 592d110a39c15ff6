#include "OfficeSession.h"
#include "PagePicture.h"
#include "WarmUp.h"
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
// this many, a fresh one is started beside it in the background, on a profile of its own, while
// the worn one goes on serving; the fresh one takes over at the first moment nothing uses the
// worn one, which is then ended. That bounds the growth to what some 50 generations leave, and
// no click ever waits for an office to start.
constexpr int RecycleAfterLoads = 150;

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
        std::shared_ptr<Start> spare;
        std::shared_ptr<OfficeSession> starting;
        std::shared_ptr<OfficeSession> spareSession;
        std::shared_ptr<OfficeSession> session;
        {
            std::lock_guard lock(mMutex);
            start = std::exchange(mStarting, nullptr);
            spare = std::exchange(mSpare, nullptr);
            session = std::exchange(mSession, nullptr);
            mSlot.reset();
            if (start) {
                start->cancelled = true;
                starting = start->session;
            }
            if (spare) {
                spare->cancelled = true;
                spareSession = spare->session;
            }
        }
        if (starting)
            starting->shutdown(); // killed at once: its start fails within milliseconds
        if (spareSession)
            spareSession->shutdown();
        if (session)
            session->shutdown();
        // Their threads let go of the offices' files and profiles.
        if (start)
            start->job->waitPlainly(500);
        if (spare)
            spare->job->waitPlainly(500);
    }

    qint64 processId() const override
    {
        std::lock_guard lock(mMutex);
        return mSession && mSession->isAlive() ? mSession->processId() : 0;
    }

    int documentLoads() const override
    {
        std::lock_guard lock(mMutex);
        return mSession && mSession->isAlive() ? mSession->loads() : 0;
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
        return pictureOfSavedDocument(*use->session(), documentPath, dotsPerInch);
    }

private:
    struct Start
    {
        std::shared_ptr<Job> job;
        std::shared_ptr<OfficeSession> session;  // once made
        std::shared_ptr<const ProfileSlot> slot; // a spare's own profile
        QString failure;                         // when it failed
        bool cancelled = false;
        bool ready = false; // a spare that has started and may take over
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

    // Whether the running office is worn: it has opened its share of documents. Call with the
    // lock held.
    bool wornLocked(const std::shared_ptr<OfficeSession> &session) const
    {
        return session && session == mSession && !mStarting && !Program::hasEnded()
            && session->loads() >= mRecycleAfterLoads;
    }

    // The last use of an office has ended. For a worn one a spare is started, or the spare that
    // is ready takes over.
    void sessionIdle(const std::shared_ptr<OfficeSession> &session)
    {
        std::lock_guard lock(mMutex);
        if (!wornLocked(session))
            return;
        if (!mSpare)
            beginSpare();
        else if (mSpare->ready)
            takeOverLocked();
    }

    // The ready spare becomes the running office, provided nothing uses the worn one (a use begins
    // only under the lock, so none can begin meanwhile); the worn one is ended on a work thread.
    // Call with the lock held.
    void takeOverLocked()
    {
        if (!mSpare || !mSpare->ready || !mSession || mSession->uses() != 0)
            return;
        std::shared_ptr<OfficeSession> worn = std::exchange(mSession, mSpare->session);
        mSlot = mSpare->slot;
        mSpare.reset();
        WorkThreads::post([worn] { worn->shutdown(); });
    }

    // A fresh office, started and warmed up on the calling work thread; kept in start->session
    // from before its start on, so that a shutdown meanwhile ends it at once. A profile the office
    // stops on while starting is set aside and the start tried once more on a fresh one.
    std::shared_ptr<OfficeSession> makeSession(const std::shared_ptr<Start> &start,
                                               const std::shared_ptr<const ProfileSlot> &slot, const QString &program,
                                               std::chrono::milliseconds startTimeout,
                                               std::chrono::milliseconds callTimeout)
    {
        std::shared_ptr<OfficeSession> session;
        for (bool freshProfile = false;; freshProfile = true) {
            session = std::make_shared<OfficeSession>(slot, program, callTimeout, mOfficeTime);
            session->setIdleHandler([this, weak = std::weak_ptr(session)] {
                if (const auto idle = weak.lock())
                    sessionIdle(idle);
            });
            {
                std::lock_guard lock(mMutex);
                if (start->cancelled)
                    throw RuntimeError(QStringLiteral("The document engine's start was cancelled."));
                start->session = session;
            }
            try {
                session->start(startTimeout);
                break;
            } catch (const RuntimeError &error) {
                // A damaged profile stops every start: it is set aside (kept to be looked at) and
                // the office tried once more on a fresh one, which it makes.
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
        return session;
    }

    // Starts a spare office beside the worn one, on a profile of its own, on a work thread. When it
    // cannot start, the worn office simply goes on serving (and a spare is tried again at its next
    // idle moment). Call with the lock held.
    void beginSpare()
    {
        auto spare = std::make_shared<Start>();
        mSpare = spare;
        const QString program = mProgram.isEmpty() ? defaultOfficeProgram() : mProgram;
        const auto startTimeout = mStartTimeout;
        const auto callTimeout = mCallTimeout;
        spare->job = WorkThreads::post([this, spare, program, startTimeout, callTimeout] {
            std::shared_ptr<OfficeSession> session;
            try {
                spare->slot = std::make_shared<ProfileSlot>();
                session = makeSession(spare, spare->slot, program, startTimeout, callTimeout);
            } catch (const RuntimeError &error) {
                spare->failure = error.description();
            }
            bool unused = false;
            {
                std::lock_guard lock(mMutex);
                if (mSpare == spare && spare->failure.isEmpty() && !spare->cancelled) {
                    spare->ready = true;
                    takeOverLocked();
                } else {
                    unused = true;
                    if (mSpare == spare)
                        mSpare.reset();
                }
            }
            if (unused && session)
                session->shutdown();
        });
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
                    if (start->cancelled)
                        throw RuntimeError(QStringLiteral("The document engine's start was cancelled."));
                    if (!mSlot)
                        mSlot = std::make_shared<ProfileSlot>();
                    slot = mSlot;
                }
                session = makeSession(start, slot, program, startTimeout, callTimeout);
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
    std::shared_ptr<Start> mSpare;           // a fresh office for a worn one: starting, or ready
    int mRecycleAfterLoads = RecycleAfterLoads;
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
