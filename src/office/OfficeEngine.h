#pragma once

#include <QImage>
#include <QString>

#include <functional>

class OfficeModule;

// The document engine behind "Word.Application": the office module, loaded from the
// executable's folder on first use. No office types cross this line.

// Registers the ProgID "Word.Application" with the automation layer, described by
// officeEngineDescription. Creating it loads the module and starts (or reuses, or waits for) the
// office; a module that cannot be loaded, or an office that cannot be started, makes CreateObject
// fail with a description.
void registerOfficeEngine();

// Whether the engine can run here at all, told at once without starting an office: the module
// loads, the office program and its type libraries are there, and the office's profile folder
// can be created. Empty when it can; otherwise the cause, in one line.
QString officeEngineUnavailableCause();

// Starts the office in the background and returns at once, so that the first "Word.Application"
// finds it ready (one created meanwhile waits for it). When this start fails, the handler given
// to setOfficeEngineStartFailureHandler runs on the program's main thread with the cause.
void startOfficeEngineInBackground();
void setOfficeEngineStartFailureHandler(std::function<void(const QString &cause)> handler);

// The cause of the engine's last failure to load or start, in one line; empty when none.
QString officeEngineFailureCause();

// Ends the office process and removes its temporary files now, within about a second even while
// a call into the office hangs. Also runs as a clean-up hook when the program ends; harmless
// when no office runs.
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
// office, but waits for one being started (a fresh one in place of a worn one, say). Throws
// RuntimeError with a description when no office runs or the document cannot be opened or
// rendered.
QImage renderFirstPage(const QString &documentPath, double dotsPerInch);
