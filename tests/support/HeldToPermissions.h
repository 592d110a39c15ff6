#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// While it lives, the calling thread is held to file permissions even when it runs as root: its
// effective capabilities lose the overrides of read, write and search permissions (they stay
// permitted, and are taken back at the end). So a read-only file or folder means for root what
// it means for any user. held() says whether that could be done (a user other than root is always
// held to them).
class HeldToPermissions
{
public:
    HeldToPermissions()
    {
        if (::geteuid() != 0) {
            mHeld = true;
            return;
        }
        if (::syscall(SYS_capget, &mHeader, mSaved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {mSaved[0], mSaved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        mHeld = mDropped = ::syscall(SYS_capset, &mHeader, reduced) == 0;
    }
    ~HeldToPermissions()
    {
        if (mDropped)
            ::syscall(SYS_capset, &mHeader, mSaved);
    }
    HeldToPermissions(const HeldToPermissions &) = delete;
    HeldToPermissions &operator=(const HeldToPermissions &) = delete;

    bool held() const { return mHeld; }

private:
    __user_cap_header_struct mHeader{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct mSaved[2]{};
    bool mHeld = false;
    bool mDropped = false;
};
