#include "CallWatchdog.h"

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

void CallWatchdog::arm()
{
    {
        std::lock_guard lock(mMutex);
        mDeadline = std::chrono::steady_clock::now() + mTimeout;
    }
    mWake.notify_all();
}

void CallWatchdog::disarm()
{
    std::lock_guard lock(mMutex);
    mDeadline.reset();
}

void CallWatchdog::watch()
{
    std::unique_lock lock(mMutex);
    while (!mStopping) {
        if (!mDeadline) {
            mWake.wait(lock);
            continue;
        }
        if (std::chrono::steady_clock::now() < *mDeadline) {
            mWake.wait_until(lock, *mDeadline);
            continue;
        }
        mDeadline.reset();
        mFired = true;
        mOnTimeout();
    }
}
