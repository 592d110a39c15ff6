#include "office/OfficeEngine.h"

#include "automation/CreateObject.h"
#include "office/OfficeModule.h"
#include "shell/Program.h"
#include "shell/RuntimeError.h"

#include <QCoreApplication>
#include <QLibrary>

#include <mutex>

namespace {

OfficeModule *loadedModule = nullptr;
bool cleanupRegistered = false;
QString loadFailure;

OfficeModule &loadModule()
{
    // Worker threads may create "Word.Application" too.
    static std::mutex loading;
    std::lock_guard lock(loading);
    if (loadedModule)
        return *loadedModule;
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
    if (!cleanupRegistered) {
        cleanupRegistered = true;
        Program::addCleanup(shutdownOfficeEngine);
    }
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
    if (!loadedModule)
        throw RuntimeError(QStringLiteral("The document engine is not running."));
    return loadedModule->renderFirstPage(documentPath, dotsPerInch);
}

void shutdownOfficeEngine()
{
    cleanupRegistered = false;
    if (loadedModule)
        loadedModule->shutdown();
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
    if (!loadedModule)
        return loadFailure;
    return loadedModule->lastFailure();
}
