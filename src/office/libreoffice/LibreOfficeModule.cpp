#include "OfficeSession.h"
#include "WordApplication.h"

#include "office/OfficeModule.h"

#include <memory>

namespace {

// The office is started on first use and kept running: a second "Word.Application" reuses it.
class LibreOfficeModule : public OfficeModule
{
public:
    Object createApplication() override
    {
        if (mSession && !mSession->answers()) {
            // It died or was ended: clean up after it and start a fresh one.
            mSession->shutdown();
            mSession.reset();
        }
        if (!mSession) {
            if (!mSlot)
                mSlot = std::make_shared<ProfileSlot>();
            mSession = std::make_shared<OfficeSession>(mSlot, mStartTimeout, mCallTimeout, mOfficeTime);
        }
        return Object(std::make_shared<WordApplication>(mSession));
    }

    void shutdown() override
    {
        if (mSession)
            mSession->shutdown();
        mSession.reset();
        mSlot.reset();
    }

    qint64 processId() const override
    {
        return mSession && mSession->isAlive() ? mSession->processId() : 0;
    }

    void setTimeouts(std::chrono::milliseconds start, std::chrono::milliseconds call) override
    {
        mStartTimeout = start;
        mCallTimeout = call;
        if (mSession)
            mSession->setCallTimeout(call);
    }

    std::chrono::nanoseconds officeTime() const override { return *mOfficeTime; }

private:
    std::shared_ptr<std::chrono::nanoseconds> mOfficeTime = std::make_shared<std::chrono::nanoseconds>(0);
    std::shared_ptr<const ProfileSlot> mSlot;
    std::shared_ptr<OfficeSession> mSession;
    std::chrono::milliseconds mStartTimeout{30000};
    std::chrono::milliseconds mCallTimeout{60000};
};

} // namespace

extern "C" Q_DECL_EXPORT OfficeModule *mistlefoldOfficeModule()
{
    // Never destroyed: when the program ends without shutting the office down, the office dies
    // with it and its watcher removes the files.
    static auto *module = new LibreOfficeModule;
    return module;
}
