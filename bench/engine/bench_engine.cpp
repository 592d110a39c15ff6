// Times one fill cycle of the document engine as the generation uses it: create, open the
// template, replace the placeholders, save, quit; then create, open, copy the page picture,
// close, quit. Once with the office kept running between cycles, once with a fresh office for
// every instance, and their ratio. Then the office's start, waited for and in the background,
// and what one call costs beyond the office's own work.
// Usage: bench_engine [DOCUMENT] (default: the test fixture).
#include "EngineCycle.h"

#include "automation/CreateObject.h"
#include "office/OfficeEngine.h"
#include "office/OfficeModule.h"
#include "shell/RuntimeError.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <QThread>

#include <algorithm>

namespace {

double middle(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// The office's start created on first use (the caller waiting) next to the start in the
// background (the caller going on at once) that the program makes, medians of three.
void officeStart(QTextStream &out)
{
    QList<double> waited, returned, ready, firstCreate;
    QElapsedTimer timer;
    for (int run = 0; run < 3; ++run) {
        shutdownOfficeEngine();
        timer.start();
        CreateObject(QStringLiteral("Word.Application")).call(QStringLiteral("Quit"));
        waited.append(timer.nsecsElapsed() / 1e6);

        shutdownOfficeEngine();
        timer.start();
        startOfficeEngineInBackground();
        returned.append(timer.nsecsElapsed() / 1e6);
        while (officeModule().processId() == 0) {
            if (timer.elapsed() > 60000)
                throw RuntimeError(QStringLiteral("the background start failed: ") + officeEngineFailureCause());
            QCoreApplication::processEvents();
            QThread::msleep(1);
        }
        ready.append(timer.nsecsElapsed() / 1e6);
        timer.start();
        CreateObject(QStringLiteral("Word.Application")).call(QStringLiteral("Quit"));
        firstCreate.append(timer.nsecsElapsed() / 1e6);
    }
    out << QStringLiteral("office start, waited for: %1 ms; in the background: returns after %2 ms, ready after %3 ms, "
                          "then a Word.Application in %4 ms\n")
               .arg(middle(waited), 0, 'f', 0)
               .arg(middle(returned), 0, 'f', 2)
               .arg(middle(ready), 0, 'f', 0)
               .arg(middle(firstCreate), 0, 'f', 1);
}

// One small call (a shape's HasText): its time, and the part spent outside the office's own
// work (the hand-off to the module's thread and back, the automation layer), medians of nine
// rounds of a thousand.
void callCost(QTextStream &out, const QString &documentPath)
{
    const Object word = CreateObject(QStringLiteral("Word.Application"));
    const Object document = openDocument(word, documentPath, true);
    const Object frame =
        document.object(QStringLiteral("Shapes")).enumerate().first().toObject().object(QStringLiteral("TextFrame"));
    QList<double> wall, outside;
    QElapsedTimer timer;
    for (int round = 0; round < 9; ++round) {
        const int calls = 1000;
        const auto officeBefore = officeModule().officeTime();
        timer.start();
        for (int i = 0; i < calls; ++i)
            frame.get(QStringLiteral("HasText"));
        const double each = timer.nsecsElapsed() / 1e3 / calls;
        wall.append(each);
        outside.append(each - (officeModule().officeTime() - officeBefore).count() / 1e3 / calls);
    }
    word.call(QStringLiteral("Quit"));
    out << QStringLiteral("one call: %1 us, of which %2 us outside the office's work\n")
               .arg(middle(wall), 0, 'f', 1)
               .arg(middle(outside), 0, 'f', 1);
}

} // namespace

int main(int argc, char *argv[])
{
    const BenchEnvironment root;
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
            // The document to fill: the one named on the command line, else the test fixture.
            const QString source = application.arguments().value(1, QStringLiteral(FIXTURE_SOURCE));
            const Object word = CreateObject(QStringLiteral("Word.Application"));
            openDocument(word, source, true).call(QStringLiteral("SaveAs"), {templatePath});
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
        officeStart(out);
        callCost(out, templatePath);
    } catch (const RuntimeError &error) {
        out << "failed: " << error.description() << '\n';
        shutdownOfficeEngine();
        return 1;
    }
    shutdownOfficeEngine();
    return boxes.shown == 0 ? 0 : 1;
}
