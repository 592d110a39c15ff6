// Times one fill cycle of the document engine as the generation uses it: create, open the
// template, replace the placeholders, save, quit; then create, open, copy the page picture,
// close, quit. Once with the office kept running between cycles, once with a fresh office for
// every instance, and their ratio.
#include "automation/CreateObject.h"
#include "details/PartyDetails.h"
#include "generation/PlaceholderReplacement.h"
#include "office/OfficeEngine.h"
#include "office/OfficeModule.h"
#include "shell/Guard.h"
#include "shell/MessageBoxes.h"
#include "shell/RuntimeError.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

namespace {

class BenchDetails : public PartyDetails
{
public:
    QString tag(int index) const override
    {
        static const QStringList tags{"[GivenBy]", "[City]", "[Address]", "[State]"};
        return tags.at(index);
    }
    QString text(int index) const override
    {
        static const QStringList texts{"The Hollies", "Springfield", "12 Evergreen Terrace", "Oregon"};
        return texts.at(index);
    }
    QDateTime partyDate() const override { return QDateTime(QDate(2024, 12, 24), QTime(0, 0)); }
    QDateTime partyTime() const override { return QDateTime(QDate(2024, 1, 1), QTime(19, 5)); }
};

// Reports of the replacement's guard are counted, not shown.
class CountingBoxes : public MessageBoxes
{
public:
    int show(const Message &message) override
    {
        ++shown;
        QTextStream(stderr) << message.text << '\n';
        return Ok;
    }
    int shown = 0;
};

struct Steps
{
    double create = 0, open = 0, replace = 0, save = 0, picture = 0, quit = 0;
    double office = 0; // of all that, the time the office itself was working
    double total() const { return create + open + replace + save + picture + quit; }
};

Object openDocument(const Object &word, const QString &path, bool readOnly)
{
    QList<NamedArgument> named;
    if (readOnly)
        named.append({QStringLiteral("ReadOnly"), true});
    return word.object(QStringLiteral("Documents")).call(QStringLiteral("Open"), {path}, named).toObject();
}

Steps cycle(const QString &templatePath, const QString &documentPath, bool freshOffice)
{
    Steps steps;
    QElapsedTimer timer;
    const auto lap = [&timer](double &step) { step += timer.nsecsElapsed() / 1e6; timer.restart(); };
    const BenchDetails details;
    const auto officeBefore = officeModule().officeTime();
    timer.start();
    {
        if (freshOffice)
            shutdownOfficeEngine();
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        lap(steps.create);
        const Object document = openDocument(word, templatePath, true);
        lap(steps.open);
        Guard guard(QStringLiteral("Bench"), QStringLiteral("Cycle"));
        ReplacePlaceholders(guard, document, details);
        lap(steps.replace);
        document.call(QStringLiteral("SaveAs"), {documentPath});
        word.set(QStringLiteral("DisplayAlerts"), false);
        document.call(QStringLiteral("Close"));
        lap(steps.save);
        word.call(QStringLiteral("Quit"));
        lap(steps.quit);
    }
    {
        if (freshOffice)
            shutdownOfficeEngine();
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        lap(steps.create);
        const Object document = openDocument(word, documentPath, false);
        lap(steps.open);
        document.call(QStringLiteral("Range")).toObject().call(QStringLiteral("CopyAsPicture"));
        if (QGuiApplication::clipboard()->image().isNull())
            throw RuntimeError(QStringLiteral("no picture on the clipboard"));
        word.object(QStringLiteral("ActiveDocument")).call(QStringLiteral("Close"), {}, {{QStringLiteral("savechanges"), qint16(0)}});
        lap(steps.picture);
        word.call(QStringLiteral("Quit"));
        lap(steps.quit);
    }
    steps.office = (officeModule().officeTime() - officeBefore).count() / 1e6;
    return steps;
}

Steps median(QList<Steps> runs)
{
    std::sort(runs.begin(), runs.end(), [](const Steps &a, const Steps &b) { return a.total() < b.total(); });
    return runs.at(runs.size() / 2);
}

void print(QTextStream &out, const char *name, const Steps &steps)
{
    out << QStringLiteral("%1 cycle: %2 ms  (create %3, open %4, replace %5, save %6, picture %7, quit %8; office at work %9)\n")
               .arg(QLatin1String(name)).arg(steps.total(), 0, 'f', 1).arg(steps.create, 0, 'f', 1)
               .arg(steps.open, 0, 'f', 1).arg(steps.replace, 0, 'f', 1).arg(steps.save, 0, 'f', 1)
               .arg(steps.picture, 0, 'f', 1).arg(steps.quit, 0, 'f', 1).arg(steps.office, 0, 'f', 1);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A private cache folder: the benchmark's office profile is not the user's.
    QTemporaryDir root;
    qputenv("XDG_CACHE_HOME", root.filePath(QStringLiteral("cache")).toUtf8());
    QApplication application(argc, argv);
    CountingBoxes boxes;
    MessageBoxes::setInstance(&boxes);
    registerOfficeEngine();
    QTextStream out(stdout);
    const int warmRuns = 9;
    const int freshRuns = 3;
    try {
        const QString templatePath = root.filePath(QStringLiteral("template.dot"));
        const QString documentPath = root.filePath(QStringLiteral("filled.doc"));
        {
            const Object word = CreateObject(QStringLiteral("Word.Application"));
            const Object source = openDocument(word, QStringLiteral(FIXTURE_SOURCE), true);
            source.call(QStringLiteral("SaveAs"), {templatePath});
            word.call(QStringLiteral("Quit"));
        }
        cycle(templatePath, documentPath, false); // warm-up
        QList<Steps> warm;
        for (int i = 0; i < warmRuns; ++i) {
            warm.append(cycle(templatePath, documentPath, false));
            if (qEnvironmentVariableIsSet("BENCH_VERBOSE"))
                print(out, "  run", warm.last());
        }
        QList<Steps> fresh;
        for (int i = 0; i < freshRuns; ++i)
            fresh.append(cycle(templatePath, documentPath, true));
        const Steps warmMedian = median(warm);
        const Steps freshMedian = median(fresh);
        out << QStringLiteral("fill cycle, median of %1 warm and %2 fresh runs\n").arg(warmRuns).arg(freshRuns);
        print(out, "warm ", warmMedian);
        print(out, "fresh", freshMedian);
        out << QStringLiteral("fresh / warm: %1 x\n").arg(freshMedian.total() / warmMedian.total(), 0, 'f', 1);
        // The engine's own work: the time the office spent answering during the cycle.
        out << QStringLiteral("warm cycle / engine's own work: %1 x (target at most 1.5 x)\n")
                   .arg(warmMedian.total() / warmMedian.office, 0, 'f', 2);
    } catch (const RuntimeError &error) {
        out << "failed: " << error.description() << '\n';
        shutdownOfficeEngine();
        return 1;
    }
    shutdownOfficeEngine();
    return boxes.shown == 0 ? 0 : 1;
}
