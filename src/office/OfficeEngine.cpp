#include "office/OfficeEngine.h"

#include "automation/CreateObject.h"
#include "office/OfficeModule.h"
#include "shell/Program.h"
#include "shell/RuntimeError.h"

#include <QCoreApplication>
#include <QLibrary>

namespace {

OfficeModule *loadedModule = nullptr;
bool cleanupRegistered = false;

OfficeModule &loadModule()
{
    if (loadedModule)
        return *loadedModule;
    // Kept loaded for the rest of the program: the module owns the office process.
    static QLibrary library;
    library.setFileName(officeModulePath());
    // Global symbols: the office bridge looks up the C++ type information of the module's
    // exception types by name.
    library.setLoadHints(QLibrary::ExportExternalSymbolsHint);
    if (!library.load())
        throw RuntimeError(QStringLiteral("The document engine could not be loaded: %1")
                               .arg(library.errorString()));
    const auto entry = reinterpret_cast<OfficeModuleEntry>(library.resolve(MISTLEFOLD_OFFICE_ENTRY));
    if (!entry)
        throw RuntimeError(QStringLiteral("The document engine module %1 is not valid.")
                               .arg(officeModulePath()));
    loadedModule = entry();
    return *loadedModule;
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
    AutomationServers::registerServer(QStringLiteral("Word.Application"), [] {
        OfficeModule &module = loadModule();
        // The office must end with the program; the hook is added again after a shutdown.
        if (!cleanupRegistered) {
            cleanupRegistered = true;
            Program::addCleanup(shutdownOfficeEngine);
        }
        return module.createApplication();
    });
}
