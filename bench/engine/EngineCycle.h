#pragma once

// One fill cycle of the document engine as the generation uses it, timed step by step: create,
// open the template, replace the placeholders, fit the texts, save and close, quit; then create,
// open the saved document again, copy the page picture, close, quit. Shared by the benchmarks.
#include "automation/Object.h"
#include "generation/PartyDetails.h"
#include "shell/MessageBoxes.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>

class QTextStream;

// Fixed party details.
class BenchDetails : public PartyDetails
{
public:
    QString tag(int index) const override;
    QString text(int index) const override;
    QDateTime partyDate() const override { return QDateTime(QDate(2024, 12, 24), QTime(0, 0)); }
    QDateTime partyTime() const override { return QDateTime(QDate(2024, 1, 1), QTime(19, 5)); }
};

// Message boxes are counted and printed, not shown.
class CountingBoxes : public MessageBoxes
{
public:
    int show(const Message &message) override;
    void notify(const Message &message) override { show(message); }
    int shown = 0;
};

// A benchmark's private world, made before its QApplication: the offscreen platform unless
// another is named, and settings, work files and the office profile in a temporary folder, so that
// nothing of the user's is touched.
class BenchEnvironment
{
public:
    BenchEnvironment();
    QString path() const { return mRoot.path(); }
    QString filePath(const QString &name) const { return mRoot.filePath(name); }

private:
    QTemporaryDir mRoot;
};

struct Steps
{
    double create = 0, open = 0, replace = 0, fit = 0, save = 0, reopen = 0, picture = 0, quit = 0;
    double office = 0; // of all that, the time the office itself was working
    double total() const { return create + open + replace + fit + save + reopen + picture + quit; }
};

Object openDocument(const Object &word, const QString &path, bool readOnly);
// One cycle; freshOffice ends the office before each instance is created.
Steps cycle(const QString &templatePath, const QString &documentPath, bool freshOffice);
// The run with the median total.
Steps median(QList<Steps> runs);
void print(QTextStream &out, const char *name, const Steps &steps);
