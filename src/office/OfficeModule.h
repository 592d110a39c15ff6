#pragma once

#include "automation/Object.h"

#include <QImage>
#include <QtGlobal>

#include <chrono>

// What the document-engine module offers the program. The module is a separate library loaded at
// run time, so that the program starts (and can tell the user what is missing) on a machine
// without the office suite. Everything crossing this line is a type of the core library; every
// failure is a RuntimeError with a description.
class OfficeModule
{
public:
    virtual ~OfficeModule() = default;

    // A new "Word.Application" object. Starts the office process when none is running (or the
    // last one died); otherwise reuses the running one.
    virtual Object createApplication() = 0;

    // Ends the office process and removes its temporary files. The next createApplication starts
    // a fresh one.
    virtual void shutdown() = 0;

    // The running office's process id, or 0.
    virtual qint64 processId() const = 0;

    // How long an office may take to start, and how long one call into it may take before the
    // office is ended and the call fails.
    virtual void setTimeouts(std::chrono::milliseconds start, std::chrono::milliseconds call) = 0;

    // A picture of the first page of the document saved at documentPath, rendered at dotsPerInch
    // (96 is the page's size on a screen at scale 1). The image's resolution says how dense it
    // is, so its logical size is the page's size at 96 dots per inch however many pixels it has.
    // The document is opened hidden and read-only, with no lock file and no macros, and closed
    // again. Callable from any thread while the user-interface thread goes on; calls into the
    // office from two threads are taken in turn. Uses the running office and never starts one:
    // throws RuntimeError with a description when none runs, and when the document cannot be
    // opened or rendered.
    virtual QImage renderFirstPage(const QString &documentPath, double dotsPerInch) = 0;

    // The time spent waiting for the office's answers since the module was loaded: the engine's
    // own work, without what the program does around it (benchmarks compare the two).
    virtual std::chrono::nanoseconds officeTime() const = 0;
};

// The module's entry point: returns its one OfficeModule, which lives as long as the module.
#define MISTLEFOLD_OFFICE_ENTRY "mistlefoldOfficeModule"
extern "C" {
using OfficeModuleEntry = OfficeModule *(*)();
}
