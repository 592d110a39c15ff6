#include "office/OfficeEngine.h"

#include "automation/CreateObject.h"
#include "office/OfficeInstallation.h"
#include "office/OfficeModule.h"
#include "shell/Program.h"
#include "shell/RuntimeError.h"

#include <QCoreApplication>
#include <QLibrary>

#include <atomic>
#include <mutex>

namespace {

// Worker threads create "Word.Application" and render pages too: the module is loaded under a
// lock, and its pointer and the clean-up flag are read without one.
std::mutex loading;
std::atomic<OfficeModule *> loadedModule = nullptr;
std::atomic<bool> cleanupRegistered = false;
QString loadFailure; // under loading

OfficeModule &loadModule()
{
    std::lock_guard lock(loading);
    if (OfficeModule *module = loadedModule)
        return *module;
    // Kept loaded for the rest of the program: the module owns the office process.
    static QLibrary library;
    library.setFileName(officeModulePath());
    // Global symbols: the office bridge looks up the C++ type information of the module's
    // exception types by name.
    library.setLoadHints(QLibrary::ExportExternalSymbolsHint);
    if (!library.load())
        loadFailure =
            QStringLiteral("The document engine could not be loaded: %1").arg(library.errorString()).simplified();
    else if (const auto entry = reinterpret_cast<OfficeModuleEntry>(library.resolve(MISTLEFOLD_OFFICE_ENTRY)))
        loadedModule = entry();
    else
        loadFailure = QStringLiteral("The document engine module %1 is not valid.").arg(officeModulePath());
    if (!loadedModule)
        throw RuntimeError(loadFailure);
    return *loadedModule;
}

// The office must end with the program; the hook is added again after a shutdown.
void ensureCleanup()
{
    if (!cleanupRegistered.exchange(true))
        Program::addCleanup(shutdownOfficeEngine);
}

} // namespace

QString officeModulePath()
{
    // Installed beside the executable, always: the program folder of the optional skin and
    // pointer files may be pointed elsewhere.
    return QCoreApplication::applicationDirPath() + QStringLiteral("/mistlefold-office.so");
}

OfficeModule &officeModule()
{
    return loadModule();
}

QImage renderFirstPage(const QString &documentPath, double dotsPerInch)
{
    // Reads the module's pointer only: a worker thread never loads the module.
    OfficeModule *module = loadedModule;
    if (!module)
        throw RuntimeError(QStringLiteral("The document engine is not running."));
    return module->renderFirstPage(documentPath, dotsPerInch);
}

void shutdownOfficeEngine()
{
    cleanupRegistered = false;
    if (OfficeModule *module = loadedModule)
        module->shutdown();
}

void registerOfficeEngine()
{
    const auto create = [] {
        OfficeModule &module = loadModule();
        ensureCleanup();
        return module.createApplication();
    };
    // Started ahead of the first click: told at once when no office can run here, otherwise
    // started in the background, its failure told later.
    const auto start = [](AutomationServers::FailureHandler failed) {
        const QString cause = officeEngineUnavailableCause();
        if (!cause.isEmpty())
            return cause;
        setOfficeEngineStartFailureHandler(std::move(failed));
        startOfficeEngineInBackground();
        return QString();
    };
    AutomationServers::registerServer(WordProgId, create, start);
    AutomationServers::describeServer(WordProgId, officeEngineDescription());
}

QString officeEngineUnavailableCause()
{
    try {
        return loadModule().unavailableCause();
    } catch (const RuntimeError &error) {
        return error.description();
    }
}

void startOfficeEngineInBackground()
{
    try {
        OfficeModule &module = loadModule();
        ensureCleanup();
        module.startInBackground();
    } catch (const RuntimeError &) {
        // Told by officeEngineUnavailableCause, and by the next CreateObject.
    }
}

void setOfficeEngineStartFailureHandler(std::function<void(const QString &cause)> handler)
{
    try {
        loadModule().setStartFailureHandler(std::move(handler));
    } catch (const RuntimeError &) {
    }
}

QString officeEngineFailureCause()
{
    if (OfficeModule *module = loadedModule)
        return module->lastFailure();
    std::lock_guard lock(loading);
    return loadFailure;
}
