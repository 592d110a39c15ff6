// Times "Start Creating Template" from the click to the preview shown, with the office warm, and
// in the same run the engine's own fill cycle on the same template, and their ratio.
#include "Controls.h"
#include "EngineCycle.h"

#include "details/Form1.h"
#include "generation/TempFolder.h"
#include "office/OfficeEngine.h"
#include "preview/Form2.h"
#include "shell/AppInfo.h"
#include "shell/Program.h"
#include "shell/RuntimeError.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

namespace {

double medianOf(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// One click on "Start Creating Template" until the preview has painted, in milliseconds; then
// "< Back" for the next run.
double clickToPreview(Form1 &form)
{
    QElapsedTimer timer;
    timer.start();
    control<QPushButton>(form, "PushButton6")->click();
    QCoreApplication::processEvents(); // the preview's first paint
    const double elapsed = timer.nsecsElapsed() / 1e6;
    if (!form.preview() || !form.preview()->isVisible())
        throw RuntimeError(QStringLiteral("the preview was not shown"));
    control<QPushButton>(*form.preview(), "PushButton8")->click();
    QCoreApplication::processEvents();
    return elapsed;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Private settings, work files and office profile: nothing of the user's is touched.
    QTemporaryDir root;
    qputenv("XDG_CACHE_HOME", root.filePath(QStringLiteral("cache")).toUtf8());
    qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toUtf8());
    qputenv("TEMP", root.path().toUtf8());
    QApplication application(argc, argv);
    CountingBoxes boxes;
    MessageBoxes::setInstance(&boxes);
    registerOfficeEngine();
    QTextStream out(stdout);
    const int runs = 9;
    try {
        Form1 form; // starts the office
        if (Program::hasEnded())
            throw RuntimeError(QStringLiteral("the office could not be started"));
        form.show();
        control<QPushButton>(form, "PushButton4")->click();
        clickToPreview(form); // warm-up

        QList<double> clicks;
        QList<Steps> cycles;
        QFile resource(QStringLiteral(":/CUSTOM/101"));
        const QString templatePath = root.filePath(QStringLiteral("bench-template.dot"));
        if (!resource.copy(templatePath))
            throw RuntimeError(QStringLiteral("the template could not be written"));
        const QString documentPath = root.filePath(QStringLiteral("bench-filled.doc"));
        cycle(templatePath, documentPath, false); // warm-up
        for (int run = 0; run < runs; ++run) {
            clicks.append(clickToPreview(form));
            cycles.append(cycle(templatePath, documentPath, false));
        }
        const double click = medianOf(clicks);
        const Steps engine = median(cycles);
        out << QStringLiteral("median of %1 runs with the office warm\n").arg(runs);
        out << QStringLiteral("click to preview shown: %1 ms\n").arg(click, 0, 'f', 1);
        print(out, "engine's", engine);
        out << QStringLiteral("click to preview / engine's cycle: %1 x (target at most 1.5 x)\n")
                   .arg(click / engine.total(), 0, 'f', 2);
    } catch (const RuntimeError &error) {
        out << "failed: " << error.description() << '\n';
        Program::runCleanups();
        return 1;
    }
    Program::runCleanups();
    return boxes.shown == 0 ? 0 : 1;
}
