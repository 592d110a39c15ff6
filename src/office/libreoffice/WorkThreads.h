#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

// One piece of work handed to a work thread, for the threads that wait for it.
class Job
{
public:
    // Waits until the job is done. On the program's main thread a wait longer than a few
    // milliseconds handles the events that come meanwhile (repaints, timers, the window
    // manager's close request, the termination signal), so that the window never freezes, and
    // ignores user input (clicks, keys, shortcuts, the wheel), so that no handler is re-entered;
    // a dialog opened meanwhile gets its input as usual. After each pass over the events
    // interrupted() is asked; once it says true the wait goes on without handling events.
    // Other threads simply wait.
    void wait(const std::function<bool()> &interrupted = {});
    // Waits without handling any event, at most ms; true when the job is done.
    bool waitPlainly(int ms);

private:
    friend class WorkThreads;
    void finish();

    std::mutex mMutex;
    std::condition_variable mDone;
    bool mFinished = false;
};

// The threads the module's office work runs on while the asking thread waits. A thread is made
// when every existing one is busy (one per piece of work running at once: a call of the main
// thread, a call of a worker thread, a start in the background), and none ever ends: an office
// started from one of them is bound to that thread's life (its parent-death signal follows the
// thread that started it), so they live as long as the program.
class WorkThreads
{
public:
    // Runs work on an idle thread and returns at once. Work must not throw.
    static std::shared_ptr<Job> post(std::function<void()> work);
};
