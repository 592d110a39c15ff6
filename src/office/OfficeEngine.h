#pragma once

#include <QImage>
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

// A picture of the first page of the document saved at documentPath, at dotsPerInch, for the
// preview: its resolution makes its logical size the page's size at 96 dots per inch (816 x 1056
// for a Letter page), so a sharper picture replaces a softer one without changing the preview's
// arithmetic. Opens the document hidden and read-only (no lock file, no macros) in the running
// office and closes it again. May be called from a worker thread while the user-interface thread
// goes on, once the engine is loaded (after a "Word.Application" was created); it never starts an
// office. Throws RuntimeError with a description when no office runs or the document cannot be
// opened or rendered.
QImage renderFirstPage(const QString &documentPath, double dotsPerInch);
