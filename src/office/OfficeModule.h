#pragma once

#include "automation/Object.h"

#include <QImage>
#include <QString>
#include <QtGlobal>

#include <chrono>
#include <functional>

// What the document-engine module offers the program. The module is a separate library loaded at
// run time, so that the program starts (and can tell the user what is missing) on a machine
// without the office suite. Everything crossing this line is a type of the shell or automation
// library; every failure is a RuntimeError with a description. Every member may be used from any
// thread.
//
// Calls into the office run on threads of the module while the calling thread waits; when the
// caller is the program's main thread and the call takes longer than a few milliseconds, it
// handles the events that come meanwhile (repaints, timers, the window manager's close request,
// the termination signal), so the window never freezes, and ignores user input (clicks, keys,
// shortcuts), so no handler is re-entered. Input that comes during a call too short for that
// stays queued and is handled after the call, as usual.
// An office that does not answer a call within the call bound is killed and the call fails with
// a description. Once the program has ended (Program::EndProgram), a waiting call fails at once
// with the office killed, and no office is started again.
class OfficeModule
{
public:
    virtual ~OfficeModule() = default;

    // A new "Word.Application" object. Uses the running office, or waits for the start under
    // way (one in the background, say), or starts one and waits for it; it fails only when that
    // start fails, with its cause. Fails at once after the program has ended.
    virtual Object createApplication() = 0;

    // Whether an office can run here at all, told at once without starting one: the office
    // program is there and may be run, the type libraries the module talks to it with are
    // there, and the folder of its profiles can be created. Empty when it can; otherwise the
    // cause, in one line (also kept as lastFailure()).
    virtual QString unavailableCause() = 0;

    // Starts the office off the calling thread and returns at once; does nothing when an office
    // runs or is starting, or the program has ended. A createApplication meanwhile waits for it.
    // When this start fails, the start-failure handler runs on the program's main thread (from
    // its event loop) with the cause in one line; a createApplication that waited for it fails
    // with the same cause.
    virtual void startInBackground() = 0;
    virtual void setStartFailureHandler(std::function<void(const QString &cause)> handler) = 0;

    // The cause of the last failure to start the office, or of the last unavailableCause that
    // found one, in one line; empty when there was none.
    virtual QString lastFailure() const = 0;

    // Ends the office process and removes its temporary files, within about a second in every
    // case: an idle office is asked to end, one that does not answer, is busy with a call or is
    // still starting is killed at once (the call or the start then fails at once). The next
    // createApplication starts a fresh one (unless the program has ended).
    virtual void shutdown() = 0;

    // The running office's process id, or 0.
    virtual qint64 processId() const = 0;
    // How many documents the running office has read from their files, or 0. It keeps the
    // template between uses, and the filled one until its saved file is opened: those are not
    // read again.
    virtual int documentLoads() const = 0;

    // How long an office may take to start, and how long one call into it may take before the
    // office is ended and the call fails. By default 15 and 10 seconds: a hung office is ended
    // well within 20 seconds, while the slowest call (the page picture) takes well under 1 s
    // on an idle machine and about 2 s on a heavily loaded one.
    virtual void setTimeouts(std::chrono::milliseconds start, std::chrono::milliseconds call) = 0;

    // An office that has opened this many documents (150 by default) is worn: a fresh one is
    // started beside it in the background, on a profile of its own, while the worn one goes on
    // serving; once the fresh one runs, it takes over at the first moment nothing uses the worn
    // one (no Word.Application, no object of one and no page picture in progress), which is then
    // ended. Nothing waits for the fresh office; when it cannot start, the worn one goes on and a
    // fresh one is tried again later. Tests lower the number.
    virtual void setRecycleAfterLoads(int loads) = 0;

    // The office program that the next start runs (tests point it elsewhere); empty for the
    // installed one.
    virtual void setOfficeProgram(const QString &path) = 0;

    // A picture of the first page of the document saved at documentPath, rendered at dotsPerInch
    // (96 is the page's size on a screen at scale 1). The image's resolution says how dense it
    // is, so its logical size is the page's size at 96 dots per inch however many pixels it has.
    // The document is opened hidden and read-only, with no lock file and no macros, and closed
    // again. Callable from any thread while the user-interface thread goes on with calls of its
    // own. Uses the running office, or waits for one being started, and never starts one:
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
