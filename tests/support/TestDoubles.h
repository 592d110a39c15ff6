#pragma once

#include "shell/Browser.h"
#include "shell/Clock.h"
#include "shell/FileDialogs.h"
#include "shell/MessageBoxes.h"
#include "shell/RandomSource.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// A test double that stands in for a platform service while it lives: it is installed when it is
// made and the program's own service is restored when it goes.
template <typename Service>
class StandIn : public Service
{
public:
    StandIn() { Service::setInstance(this); }
    ~StandIn() override { Service::setInstance(nullptr); }
    StandIn(const StandIn &) = delete;
    StandIn &operator=(const StandIn &) = delete;
};

// Records every message box and answers from a script (Yes when the script is empty).
class RecordingMessageBoxes : public StandIn<MessageBoxes>
{
public:
    int show(const Message &message) override;
    void notify(const Message &message) override { notices.append(message); }

    QList<Message> shown;
    QList<Message> notices; // the messages shown without taking the focus
    QQueue<int> answers;
    // Runs while a box is "open", for tests that act during a modal box.
    std::function<void(const Message &)> onShow;

    QStringList texts() const;
    // The texts of the "Application Error" reports only.
    QStringList reports() const;
    // The line numbers of those reports, in order.
    QList<int> reportedLines() const;
};

// A clock standing at a set time.
class FixedClock : public StandIn<Clock>
{
public:
    explicit FixedClock(const QDateTime &time) : time(time) {}
    QDateTime now() const override { return time; }
    QDateTime time;
};

// Random values taken from a script, repeating the last one; records the seeds given.
class ScriptedRandom : public StandIn<RandomSource>
{
public:
    explicit ScriptedRandom(QList<double> values) : values(std::move(values)) {}
    void randomize(double seed) override { seeds.append(seed); }
    double next() override;
    QList<double> values;
    QList<double> seeds;
    int drawn = 0;
};

// Records the pages opened.
class RecordingBrowser : public StandIn<Browser>
{
public:
    void open(const QString &address) override { opened.append(address); }
    QStringList opened;
};

// Answers Save dialogs from a script (cancel when empty) and records their settings.
class ScriptedFileDialogs : public StandIn<FileDialogs>
{
public:
    SaveChoice getSaveFileName(const SaveSettings &settings) override;
    QQueue<QString> names;
    // The filter chosen with each name; the dialog's first entry when empty.
    QQueue<QString> filters;
    QList<SaveSettings> shown;
};

// A private world for one test: its own settings folder, temporary folder (TEMP), cache and
// runtime folders, so that no test touches the user's real ones.
class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();

    QString root() const { return mRoot.path(); }
    QString tempFolder() const;   // the value of TEMP
    QString settingsFile() const; // the INI file of the settings store

private:
    QTemporaryDir mRoot;
    QByteArray mOldTemp;
};
