#include "CallWatchdog.h"

#include <algorithm>

CallWatchdog::CallWatchdog(std::function<void()> onTimeout)
    : mOnTimeout(std::move(onTimeout))
    , mThread([this] { watch(); })
{
}

CallWatchdog::~CallWatchdog()
{
    {
        std::lock_guard lock(mMutex);
        mStopping = true;
    }
    mWake.notify_all();
    mThread.join();
}

void CallWatchdog::setTimeout(std::chrono::milliseconds timeout)
{
    std::lock_guard lock(mMutex);
    mTimeout = timeout;
}

std::chrono::milliseconds CallWatchdog::timeout() const
{
    std::lock_guard lock(mMutex);
    return mTimeout;
}

std::uint64_t CallWatchdog::arm()
{
    return arm(timeout());
}

std::uint64_t CallWatchdog::arm(std::chrono::milliseconds timeout)
{
    std::uint64_t ticket = 0;
    {
        std::lock_guard lock(mMutex);
        ticket = ++mLastTicket;
        mDeadlines.emplace(ticket, std::chrono::steady_clock::now() + timeout);
    }
    mWake.notify_all();
    return ticket;
}

void CallWatchdog::disarm(std::uint64_t ticket)
{
    std::lock_guard lock(mMutex);
    mDeadlines.erase(ticket);
}

void CallWatchdog::watch()
{
    std::unique_lock lock(mMutex);
    while (!mStopping) {
        if (mDeadlines.empty()) {
            mWake.wait(lock);
            continue;
        }
        const auto first = std::min_element(mDeadlines.begin(), mDeadlines.end(),
                                            [](const auto &a, const auto &b) { return a.second < b.second; });
        // A copy: the wait lets go of the lock, and a call that returns meanwhile takes its
        // deadline out of the map.
        const auto deadline = first->second;
        if (std::chrono::steady_clock::now() < deadline) {
            mWake.wait_until(lock, deadline);
            continue;
        }
        // The office is ended for every call in flight at once.
        mDeadlines.clear();
        mFired = true;
        lock.unlock();
        mOnTimeout();
        lock.lock();
    }
}
