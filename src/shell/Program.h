#pragma once

#include <functional>

class QIcon;

// Program-wide services: the application icon and ending the whole program.
namespace Program {

// The application icon in its four sizes (32, 48, 128 and 256 pixels).
QIcon appIcon();

// Ends the whole program at once: runs the clean-up hooks (the office process, our private
// temporary files), closes every window without running their closing handlers, and leaves the
// event loop. The user's saved files and settings are never touched.
void EndProgram();

// Ends the program the same way when it is asked to terminate (SIGTERM, SIGINT, SIGHUP), so that
// a logout or a Ctrl+C in a terminal leaves no office process or work file behind.
void endOnTerminationSignals();

// True once EndProgram has run. Safe to ask from any thread: the office module's threads do.
bool hasEnded();
// Clears the ended state (tests that end the program more than once in one process).
void resetEnded();

// Work to do when the program ends, in the order added. Any thread may add.
void addCleanup(std::function<void()> cleanup);
// Runs the clean-up hooks once; EndProgram and a normal return from main both call it.
void runCleanups();

} // namespace Program
