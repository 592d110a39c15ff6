#pragma once

#include <QString>

class OfficeModule;

// The document engine behind "Word.Application": the office module, loaded from the
// executable's folder on first use.

// Registers the ProgID "Word.Application" with the automation layer. Creating it loads the
// module and starts (or reuses) the office; a module that cannot be loaded, or an office that
// cannot be started, makes CreateObject fail with a description.
void registerOfficeEngine();

// Ends the office process and removes its temporary files now. Also runs as a clean-up hook when
// the program ends; harmless when no office runs.
void shutdownOfficeEngine();

// The loaded module. Throws RuntimeError with a description when it cannot be loaded.
OfficeModule &officeModule();

// The module's file: "mistlefold-office.so" in the executable's folder.
QString officeModulePath();
