#include "WorkThreads.h"

#include <QCoreApplication>
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

} // namespace

bool Job::isDone() const
{
    std::lock_guard lock(mMutex);
    return mFinished;
}

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
    const bool serveEvents = onMainThread();
    bool served = false;
    std::unique_lock lock(mMutex);
    // Most calls take well under one slice: they return without touching the event loop.
    while (!mDone.wait_for(lock, EventSlice, [this] { return mFinished; })) {
        if (!serveEvents || served)
            continue;
        lock.unlock();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        served = interrupted && interrupted();
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
