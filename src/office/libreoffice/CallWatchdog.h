#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// Ends an office whose call has not returned in time. Calls into the office block the program's
// one thread; the watchdog's own thread runs the timeout action (killing the office), which makes
// the blocked call fail at once.
class CallWatchdog
{
public:
    explicit CallWatchdog(std::function<void()> onTimeout);
    ~CallWatchdog();

    CallWatchdog(const CallWatchdog &) = delete;
    CallWatchdog &operator=(const CallWatchdog &) = delete;

    void setTimeout(std::chrono::milliseconds timeout);
    std::chrono::milliseconds timeout() const;

    // A call starts (the clock runs) / has returned.
    void arm();
    void disarm();

    // Whether the timeout action has run.
    bool fired() const { return mFired; }

private:
    void watch();

    std::function<void()> mOnTimeout;
    mutable std::mutex mMutex;
    std::condition_variable mWake;
    std::optional<std::chrono::steady_clock::time_point> mDeadline;
    std::chrono::milliseconds mTimeout{60000};
    bool mStopping = false;
    std::atomic<bool> mFired{false};
    std::thread mThread;
};
