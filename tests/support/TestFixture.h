#pragma once

#include "TestDoubles.h"

#include <QDateTime>
#include <QObject>

#include <memory>

// Base of the test classes: a private world for every test function. Before each test (init) it
// makes a fresh environment (settings, TEMP, cache and runtime folders), an empty program folder
// for the optional skin and cursor files, and a double in place of every platform seam; after it
// (cleanup) it restores them all. A test class with set-up of its own defines its own init() and
// cleanup() slots, calling these first and last.
class TestFixture : public QObject
{
    Q_OBJECT
public:
    // The time the fixed clock stands at: a December evening.
    static const QDateTime Now;

protected:
    // The folder the program takes for its own (AppInfo::programFolder()).
    QString programFolder() const;

    std::unique_ptr<TestEnvironment> environment;
    std::unique_ptr<RecordingMessageBoxes> boxes;
    std::unique_ptr<ScriptedFileDialogs> dialogs;
    std::unique_ptr<FixedClock> clock;
    std::unique_ptr<ScriptedRandom> random; // draws 0.5 (the digit 5, or 51 of 100) until told otherwise
    std::unique_ptr<RecordingBrowser> browser;

protected Q_SLOTS:
    void init();
    void cleanup();
};
