#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

// Ends an office whose call has not returned in time. Every call in flight (of the program's main
// thread, of a worker thread, the start's first calls) is armed with its own deadline; the
// watchdog's own thread runs the timeout action (killing the office) when the first deadline
// passes, which makes every call in flight fail at once.
class CallWatchdog
{
public:
    // How long an idle office that is asked to end may take to agree before it is killed: ending
    // the program must not wait on an office that has stopped answering.
    static constexpr std::chrono::milliseconds QuitBound{500};

    explicit CallWatchdog(std::function<void()> onTimeout);
    ~CallWatchdog();

    CallWatchdog(const CallWatchdog &) = delete;
    CallWatchdog &operator=(const CallWatchdog &) = delete;

    // The bound of a call armed without one of its own.
    void setTimeout(std::chrono::milliseconds timeout);
    std::chrono::milliseconds timeout() const;

    // A call starts (its clock runs): returns the ticket to disarm it with when it has returned.
    std::uint64_t arm();
    std::uint64_t arm(std::chrono::milliseconds timeout);
    void disarm(std::uint64_t ticket);

    // Whether the timeout action has run.
    bool fired() const { return mFired; }

private:
    void watch();

    std::function<void()> mOnTimeout;
    mutable std::mutex mMutex;
    std::condition_variable mWake;
    std::map<std::uint64_t, std::chrono::steady_clock::time_point> mDeadlines;
    std::uint64_t mLastTicket = 0;
    std::chrono::milliseconds mTimeout{10000};
    bool mStopping = false;
    std::atomic<bool> mFired{false};
    std::thread mThread;
};
