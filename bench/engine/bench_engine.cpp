// Times one fill cycle of the document engine as the generation uses it: create, open the
// template, replace the placeholders, save, quit; then create, open, copy the page picture,
// close, quit. Once with the office kept running between cycles, once with a fresh office for
// every instance, and their ratio. Usage: bench_engine [DOCUMENT] (default: the test fixture).
#include "EngineCycle.h"

#include "automation/CreateObject.h"
#include "office/OfficeEngine.h"
#include "shell/RuntimeError.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTextStream>

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
    } catch (const RuntimeError &error) {
        out << "failed: " << error.description() << '\n';
        shutdownOfficeEngine();
        return 1;
    }
    shutdownOfficeEngine();
    return boxes.shown == 0 ? 0 : 1;
}
