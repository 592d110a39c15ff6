#include "WorkThreads.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include <thread>
#include <vector>

namespace {

// How long the main thread waits before it handles the events that came meanwhile.
constexpr std::chrono::milliseconds EventSlice{10};

struct Worker
{
    std::function<void()> work;
    std::shared_ptr<Job> job;
    std::condition_variable wake;
};

std::mutex poolMutex;
// Never destroyed: the threads live as long as the program.
std::vector<Worker *> &idleWorkers()
{
    static auto *idle = new std::vector<Worker *>;
    return *idle;
}

bool onMainThread()
{
    const QCoreApplication *application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

// Ignores user input while the main thread waits for a job. Qt's own way, handling events with
// ExcludeUserInputEvents, also holds back the window manager's request to close a window, which
// must end the program at once; and input held back to be handed over later cannot be replayed
// faithfully (a shortcut is resolved before its key reaches any window). Only events at the
// waiting loop's level are ignored: a dialog opened meanwhile runs a loop of its own.
class InputIgnorer : public QObject
{
public:
    static InputIgnorer &instance()
    {
        static auto *ignorer = [] {
            auto *created = new InputIgnorer;
            QCoreApplication::instance()->installEventFilter(created);
            return created;
        }();
        return *ignorer;
    }

    // While a wait at the current loop level handles events.
    struct Scope
    {
        Scope() : previous(instance().mLevel) { instance().mLevel = QThread::currentThread()->loopLevel(); }
        ~Scope() { instance().mLevel = previous; }
        int previous;
    };

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        return mLevel >= 0 && isUserInput(event->type()) && QThread::currentThread()->loopLevel() == mLevel;
    }

private:
    static bool isUserInput(QEvent::Type type)
    {
        switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove: return true;
        default: return false;
        }
    }

    int mLevel = -1; // the loop level of the waiting loop, or -1 when none waits
};

} // namespace

void Job::finish()
{
    std::lock_guard lock(mMutex);
    mFinished = true;
    mDone.notify_all();
}

bool Job::waitPlainly(int ms)
{
    std::unique_lock lock(mMutex);
    return mDone.wait_for(lock, std::chrono::milliseconds(ms), [this] { return mFinished; });
}

void Job::wait(const std::function<bool()> &interrupted)
{
    bool serveEvents = onMainThread();
    std::unique_lock lock(mMutex);
    // Most calls take well under one slice: they return without touching the event loop.
    while (!mDone.wait_for(lock, EventSlice, [this] { return mFinished; })) {
        if (!serveEvents)
            continue;
        lock.unlock();
        {
            const InputIgnorer::Scope ignoringInput;
            QCoreApplication::processEvents();
        }
        serveEvents = !(interrupted && interrupted());
        lock.lock();
    }
}

std::shared_ptr<Job> WorkThreads::post(std::function<void()> work)
{
    auto job = std::make_shared<Job>();
    std::lock_guard lock(poolMutex);
    if (idleWorkers().empty()) {
        auto *worker = new Worker; // owned by its thread, which never ends
        std::thread([worker] {
            std::unique_lock lock(poolMutex);
            for (;;) {
                worker->wake.wait(lock, [worker] { return bool(worker->work); });
                const auto work = std::move(worker->work);
                const auto done = std::move(worker->job);
                worker->work = nullptr;
                lock.unlock();
                work();
                lock.lock();
                // Idle again before the job is reported done, so that the next call of the
                // thread that waited for it finds this thread free.
                idleWorkers().push_back(worker);
                lock.unlock();
                done->finish();
                lock.lock();
            }
        }).detach();
        idleWorkers().push_back(worker);
    }
    Worker *worker = idleWorkers().back();
    idleWorkers().pop_back();
    worker->work = std::move(work);
    worker->job = job;
    worker->wake.notify_one();
    return job;
}
