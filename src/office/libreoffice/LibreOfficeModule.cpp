#include "OfficeSession.h"
#include "PagePicture.h"
#include "WordApplication.h"

#include "office/OfficeModule.h"

#include <QCoreApplication>
#include <QThread>

#include <memory>
#include <mutex>

namespace {

// The office is started on first use and kept running: a second "Word.Application" reuses it.
class LibreOfficeModule : public OfficeModule
{
public:
    Object createApplication() override
    {
        const std::lock_guard lock(mSessionMutex);
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
        const std::lock_guard lock(mSessionMutex);
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

    QImage renderFirstPage(const QString &documentPath, double dotsPerInch) override
    {
        std::shared_ptr<OfficeSession> session;
        {
            const std::lock_guard lock(mSessionMutex);
            session = mSession;
        }
        if (!session)
            throw RuntimeError(QStringLiteral("The document engine is not running."));
        try {
            QImage picture = renderSavedFirstPage(*session, documentPath, dotsPerInch);
            releaseOnItsThread(std::move(session));
            return picture;
        } catch (...) {
            releaseOnItsThread(std::move(session));
            throw;
        }
    }

private:
    // A session ended while a worker thread used it must still be destroyed on the thread that
    // started its office process: the last reference is handed back there.
    static void releaseOnItsThread(std::shared_ptr<OfficeSession> session)
    {
        QCoreApplication *application = QCoreApplication::instance();
        if (session.use_count() > 1 || !application || QThread::currentThread() == application->thread())
            return;
        QMetaObject::invokeMethod(application, [session = std::move(session)] {}, Qt::QueuedConnection);
    }

    std::mutex mSessionMutex;
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
