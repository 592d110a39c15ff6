#include "OfficeSession.h"

#include "WorkThreads.h"

#include "shell/Program.h"

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XEventListener.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/util/XChangesBatch.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>
#include <rtl/bootstrap.hxx>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QUrl>

#include <csignal>
#include <unistd.h>

namespace {

// The office's exit status when it has just set up a new profile and wants to be started again.
constexpr int RestartAfterProfileSetup = 81;
constexpr int ConnectRetryMs = 20;
// Ending an idle office: how long it may take to exit once it has agreed, before it is killed.
constexpr int ExitGraceMs = 450;

// The session whose call the current thread is running, if any.
thread_local const OfficeSession *callingSession = nullptr;

const QString ProgramEnding = QStringLiteral("The program is ending: the document engine was ended.");
const QString StartCancelled = QStringLiteral("The document engine's start was cancelled: it was ended meanwhile.");

// The component context of our side of the bridge; made once per program run.
Reference<css::uno::XComponentContext> localContext()
{
    static Reference<css::uno::XComponentContext> context = [] {
        // The stock bootstrap file lacks the office API types, so name the type and service
        // files here.
        const OUString program = toOUString(QUrl::fromLocalFile(officeProgramFolder()).toString(QUrl::FullyEncoded));
        rtl::Bootstrap::set("URE_INTERNAL_LIB_DIR", program);
        rtl::Bootstrap::set("UNO_TYPES", program + "/types.rdb " + program + "/types/offapi.rdb");
        rtl::Bootstrap::set("UNO_SERVICES", program + "/services.rdb");
        return cppu::defaultBootstrap_InitialComponentContext();
    }();
    return context;
}

QString newPipeName()
{
    static int started = 0;
    return QStringLiteral("mistlefold-%1-%2-%3")
        .arg(::getpid())
        .arg(++started)
        .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
}

// Notes when the bridge to the office goes away (the office died or was ended).
class BridgeListener : public cppu::WeakImplHelper1<css::lang::XEventListener>
{
public:
    explicit BridgeListener(std::shared_ptr<std::atomic<bool>> disposed) : mDisposed(std::move(disposed)) {}
    void SAL_CALL disposing(const css::lang::EventObject &) override { *mDisposed = true; }

private:
    std::shared_ptr<std::atomic<bool>> mDisposed;
};

QString seconds(std::chrono::milliseconds duration)
{
    return QString::number(duration.count() / 1000.0, 'g', 3);
}

} // namespace

OfficeSession::OfficeSession(std::shared_ptr<const ProfileSlot> slot, const QString &program,
                             std::chrono::milliseconds callTimeout, std::shared_ptr<std::atomic<qint64>> officeTime)
    : mProcess(std::move(slot), newPipeName(), program)
    , mWatchdog([this] { mProcess.kill(); })
    , mOfficeTime(std::move(officeTime))
{
    // Writing to the pipe of an office that has just died must fail the call, not end the
    // program.
    struct sigaction current
    {};
    if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        std::signal(SIGPIPE, SIG_IGN);
    mWatchdog.setTimeout(callTimeout);
}

OfficeSession::~OfficeSession()
{
    shutdown();
}

void OfficeSession::start(std::chrono::milliseconds startTimeout)
{
    try {
        mProcess.endStaleOffices();
        connect(startTimeout);
        return;
    } catch (const css::uno::Exception &error) {
        // Ended meanwhile (the process refuses to start again, the connection breaks): cancelled.
        const bool cancelled = mEnded && !mWatchdog.fired();
        const QString description = cancelled ? StartCancelled : failure(QStringLiteral("be started"), error);
        killNow();
        throw RuntimeError(description);
    } catch (const RuntimeError &error) {
        const bool cancelled = mEnded && !mWatchdog.fired();
        killNow();
        throw RuntimeError(cancelled ? StartCancelled : error.description());
    }
}

void OfficeSession::connect(std::chrono::milliseconds startTimeout)
{
    const Reference<css::uno::XComponentContext> local = localContext();
    const Reference<css::connection::XConnector> connector = css::connection::Connector::create(local);
    const OUString address = "pipe,name=" + toOUString(mProcess.pipeName());
    QElapsedTimer elapsed;
    elapsed.start();
    bool profileRestarted = false;
    bool staleEnded = false;
    mProcess.start();
    Reference<css::connection::XConnection> connection;
    while (!connection.is()) {
        if (mEnded)
            throw RuntimeError(StartCancelled);
        try {
            connection = connector->connect(address);
            break;
        } catch (const css::connection::NoConnectException &) {
        }
        if (mProcess.waitForExit(ConnectRetryMs)) {
            const int status = mProcess.exitCode();
            if (status == RestartAfterProfileSetup && !profileRestarted) {
                profileRestarted = true;
            } else if (status == 0 && !staleEnded) {
                // Another office on our profile took the start over: end it and start again.
                staleEnded = true;
                mProcess.endStaleOffices();
            } else {
                mStoppedWhileStarting = true;
                throw RuntimeError(
                    QStringLiteral("The document engine stopped while starting (exit status %1).").arg(status));
            }
            mProcess.start();
        }
        if (elapsed.elapsed() > startTimeout.count()) {
            mProcess.kill();
            throw RuntimeError(
                QStringLiteral("The document engine did not start within %1 seconds.").arg(seconds(startTimeout)));
        }
    }
    // Connected: from here on the office answers calls, within the watchdog's bound, which
    // keeps the whole start within its own bound (and a second).
    const auto remaining = startTimeout - std::chrono::milliseconds(elapsed.elapsed());
    CallScope scope(*this, std::min(mWatchdog.timeout(), std::max(remaining, std::chrono::milliseconds(1000))));
    {
        std::lock_guard lock(mConnectionMutex);
        if (mEnded)
            throw RuntimeError(StartCancelled);
        mBridge = css::bridge::BridgeFactory::create(local)->createBridge(OUString(), "urp", connection, nullptr);
    }
    Reference<css::lang::XComponent>(mBridge, UNO_QUERY_THROW)->addEventListener(new BridgeListener(mBridgeDisposed));
    mContext.set(mBridge->getInstance("StarOffice.ComponentContext"), UNO_QUERY_THROW);
    mDesktop = css::frame::Desktop::create(mContext);
    configure();
    mConnected = true;
}

// Documents opened for writing get no lock files beside them in the user's folders.
void OfficeSession::configure()
{
    const Reference<css::lang::XMultiServiceFactory> provider = css::configuration::theDefaultProvider::get(mContext);
    css::beans::NamedValue path("nodepath", Any(OUString("/org.openoffice.Office.Common/Misc")));
    Sequence<Any> arguments(1);
    arguments.getArray()[0] <<= path;
    const Reference<css::beans::XPropertySet> misc(
        provider->createInstanceWithArguments("com.sun.star.configuration.ConfigurationUpdateAccess", arguments),
        UNO_QUERY_THROW);
    misc->setPropertyValue("UseLocking", Any(false));
    misc->setPropertyValue("UseDocumentOOoLockFile", Any(false));
    misc->setPropertyValue("UseDocumentSystemFileLocking", Any(false));
    Reference<css::util::XChangesBatch>(misc, UNO_QUERY_THROW)->commitChanges();
}

bool OfficeSession::isAlive()
{
    if (mEnded || !mConnected || *mBridgeDisposed || mWatchdog.fired())
        return false;
    if (mProcess.hasExited()) {
        mEnded = true;
        return false;
    }
    return true;
}

bool OfficeSession::answers()
{
    try {
        call(QStringLiteral("answer"), [&] { mDesktop->getCurrentFrame(); });
        return true;
    } catch (const RuntimeError &) {
        return false;
    }
}

void OfficeSession::ensureAlive()
{
    if (Program::hasEnded())
        throw RuntimeError(ProgramEnding);
    if (mWatchdog.fired())
        throw RuntimeError(QStringLiteral("The document engine did not answer within %1 seconds and was ended.")
                               .arg(seconds(mWatchdog.timeout())));
    if (!isAlive())
        throw RuntimeError(
            QStringLiteral("The document engine has stopped; start it again by creating a new Word.Application."));
}

void OfficeSession::run(const QString &what, std::optional<std::chrono::milliseconds> bound,
                        const std::function<void()> &work)
{
    if (callingSession == this) {
        work();
        return;
    }
    {
        std::lock_guard gate(mCallGate);
        ensureAlive();
        ++mCallsInFlight;
    }
    std::exception_ptr error;
    const auto job = WorkThreads::post([&] {
        callingSession = this;
        try {
            CallScope scope(*this, bound);
            work();
        } catch (const css::uno::RuntimeException &unoError) {
            settle(); // a lost connection shows first as a failing call
            error = std::make_exception_ptr(RuntimeError(failure(what, unoError)));
        } catch (const css::uno::Exception &unoError) {
            error = std::make_exception_ptr(RuntimeError(failure(what, unoError)));
        } catch (...) {
            error = std::current_exception();
        }
        callingSession = nullptr;
    });
    // A request to end the program is honoured at once: the office is killed, which ends the
    // work within milliseconds.
    job->wait([this] {
        if (!Program::hasEnded())
            return false;
        killNow();
        return true;
    });
    --mCallsInFlight;
    if (Program::hasEnded())
        throw RuntimeError(ProgramEnding);
    if (error)
        std::rethrow_exception(error);
}

// A broken connection first shows as a failing call; the bridge and the process report it a
// moment later. Waits that moment, so that the next "Word.Application" starts a fresh office.
void OfficeSession::settle()
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 250) {
        if (*mBridgeDisposed || mProcess.waitForExit(5)) {
            mEnded = true;
            return;
        }
    }
}

QString OfficeSession::failure(const QString &what, const css::uno::Exception &error)
{
    if (mWatchdog.fired())
        return QStringLiteral(
                   "The document engine did not answer within %1 seconds and was ended (while trying to %2).")
            .arg(seconds(mWatchdog.timeout()), what);
    if (!isAlive() && mConnected)
        return QStringLiteral("The document engine stopped unexpectedly while trying to %1.").arg(what);
    return QStringLiteral("The document engine could not %1: %2").arg(what, describe(error));
}

OfficeSession::CallScope::CallScope(OfficeSession &session, std::optional<std::chrono::milliseconds> bound)
    : session(session)
    , ticket(bound ? session.mWatchdog.arm(*bound) : session.mWatchdog.arm())
    , start(std::chrono::steady_clock::now())
{
}

OfficeSession::CallScope::~CallScope()
{
    session.mWatchdog.disarm(ticket);
    *session.mOfficeTime += (std::chrono::steady_clock::now() - start).count();
}

QString OfficeSession::temporaryPath(const QString &suffix)
{
    return QStringLiteral("%1/work-%2%3").arg(mProcess.tempFolder()).arg(++mTemporaryFiles).arg(suffix);
}

Reference<css::lang::XComponent> OfficeSession::loadDocument(const QString &path, bool readOnly)
{
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile())
        throw RuntimeError(QStringLiteral("The document %1 could not be found.").arg(path));
    // Reading a document takes longer than its size grows (a paragraph of a million characters,
    // about 2 MiB, takes 10 s on a slow machine): the call bound holds for each MiB.
    constexpr qint64 MiB = 1 << 20;
    const auto bound = mWatchdog.timeout() * std::max<qint64>(1, (file.size() + MiB - 1) / MiB);
    const auto load = [&] {
        const Reference<css::frame::XComponentLoader> loader(mDesktop, UNO_QUERY_THROW);
        return loader->loadComponentFromURL(
            fileUrl(path), "_blank", 0,
            properties({property("Hidden", Any(true)), property("ReadOnly", Any(readOnly)),
                        property("AsTemplate", Any(false)),
                        property("MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)),
                        property("UpdateDocMode", Any(css::document::UpdateDocMode::NO_UPDATE))}));
    };
    const auto component = call(QStringLiteral("open the document %1").arg(path), load, bound);
    ++mLoads;
    if (!component.is())
        throw RuntimeError(
            QStringLiteral("The document %1 could not be opened: its format is not recognised.").arg(path));
    return component;
}

void OfficeSession::closeDocument(const Reference<css::lang::XComponent> &model)
{
    call(QStringLiteral("close the document"), [&] {
        const Reference<css::util::XCloseable> closeable(model, UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else
            model->dispose();
    });
}

void OfficeSession::beginUse()
{
    ++mUses;
    ++mUsesBegun;
}

void OfficeSession::endUse()
{
    if (--mUses == 0 && mIdleHandler)
        mIdleHandler();
}

void OfficeSession::killNow()
{
    mEnded = true;
    mProcess.kill();
    disposeBridge();
}

void OfficeSession::disposeBridge()
{
    Reference<css::lang::XComponent> bridge;
    {
        std::lock_guard lock(mConnectionMutex);
        bridge.set(mBridge, UNO_QUERY);
    }
    try {
        if (bridge.is())
            bridge->dispose();
    } catch (const css::uno::Exception &) {
    }
}

void OfficeSession::shutdown()
{
    // Only an idle office that answers is asked to end; the rest is killed at once. Once ended,
    // no call begins, so the office is asked here, on this thread, with nothing else in flight.
    bool ask = false;
    {
        std::lock_guard gate(mCallGate);
        ask = isAlive() && mCallsInFlight == 0 && !Program::hasEnded();
        mEnded = true;
    }
    if (!ask) {
        killNow();
        return;
    }
    bool terminating = false;
    {
        CallScope scope(*this, CallWatchdog::QuitBound);
        try {
            terminating = mDesktop->terminate();
        } catch (const css::uno::Exception &) {
            terminating = true; // the office may drop the connection while it ends
        }
    }
    disposeBridge();
    // An office that refused to end is not waited for.
    mProcess.finish(terminating ? ExitGraceMs : 0);
}
