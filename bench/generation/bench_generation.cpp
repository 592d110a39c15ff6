// "Start Creating Template" on the real template, measured the way a user meets it, next to what
// a user could script instead, all in one run on this machine:
//   - memory of the program and its office (resident) at the start and after the 20th and the
//     Nth generation;
//   - launch to main window: the real program started as a child process on a private X server
//     (Xvfb), timed until its main window is mapped, next to one office start;
//   - click to preview shown (office warm), next to a fresh office for each fill and next to
//     two command-line conversions of the same template to PNG, and the two ratios; and click
//     to the preview's page sharpened in the background;
//   - the engine's own fill cycle, and click to preview against it.
// Usage: bench_generation [N]   (N generations for the memory figure; default 20)
#include "Controls.h"
#include "EngineCycle.h"

#include "automation/CreateObject.h"
#include "details/Form1.h"
#include "generation/PageSharpening.h"
#include "office/OfficeEngine.h"
#include "office/OfficeModule.h"
#include "preview/Form2.h"
#include "preview/PictureBox.h"
#include "shell/Program.h"
#include "shell/RuntimeError.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QStandardPaths>
#include <QTextStream>
#include <QThread>
#include <QUrl>

#include <algorithm>

#include <unistd.h>

namespace {

double medianOf(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double elapsedMs(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// Resident memory of a process in MiB, or 0 when it cannot be read.
double residentMiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

struct Memory
{
    double program = 0;
    double office = 0;
    double total() const { return program + office; }
};

// The memory of the program and its office once both are idle: after a generation the office
// may still be finishing work on its own threads for a moment, or a worn office may be being
// replaced by a fresh one, which is waited for.
Memory memoryNow()
{
    QThread::msleep(300);
    QCoreApplication::processEvents();
    for (QElapsedTimer waited; !officeModule().processId();) {
        if (!waited.isValid())
            waited.start();
        if (waited.elapsed() > 30000)
            throw RuntimeError(QStringLiteral("no office ran again after a generation"));
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return {residentMiB(QCoreApplication::applicationPid()), residentMiB(officeModule().processId())};
}

// The median of samples, by their total.
Memory medianOf(QList<Memory> samples)
{
    std::sort(samples.begin(), samples.end(), [](const Memory &a, const Memory &b) { return a.total() < b.total(); });
    return samples.at(samples.size() / 2);
}

// The processor time a process has used, in milliseconds (all its threads), or 0.
double processorMs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields.at(11).toDouble() + fields.at(12).toDouble()) * 1000.0 / ::sysconf(_SC_CLK_TCK);
}

// The office's processor time for the last click: less moved by other work on a busy machine
// than the time on the clock.
double officeProcessorMs = 0;
// From the last click until the preview's page was sharpened, in milliseconds (0: it was not).
double sharpenedMs = 0;

// One click on "Start Creating Template" until the preview has painted, in milliseconds; then,
// as a user looks at the preview, until its page is sharpened; then "< Back" for the next run.
double clickToPreview(Form1 &form)
{
    const double officeBefore = processorMs(officeModule().processId());
    QElapsedTimer timer;
    timer.start();
    control<QPushButton>(form, "PushButton6")->click();
    QCoreApplication::processEvents(); // the preview's first paint
    const double elapsed = elapsedMs(timer);
    officeProcessorMs = processorMs(officeModule().processId()) - officeBefore;
    if (!form.preview() || !form.preview()->isVisible())
        throw RuntimeError(QStringLiteral("the preview was not shown"));
    const auto *page = control<PictureBox>(*form.preview(), "Zoom_Ori");
    const int firstWidth = page->picture().width();
    sharpenedMs = 0;
    while (timer.elapsed() < 10000 && page->picture().width() < 2 * firstWidth) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    if (page->picture().width() >= 2 * firstWidth)
        sharpenedMs = elapsedMs(timer);
    control<QPushButton>(*form.preview(), "PushButton8")->click();
    QCoreApplication::processEvents();
    return elapsed;
}

// Waits ms while the program handles its events, as a user looks at a window.
void look(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The rounds in which the office that served was another than in the round before.
QList<int> officeChanges;

// Rounds of "Start Creating Template", the preview looked at for 0.3 s, "< Back", 0.3 s: each
// click until the preview has painted, in milliseconds. Office replacements fall where they fall.
QList<double> rounds(Form1 &form, int count)
{
    QList<double> clicks;
    qint64 office = officeModule().processId();
    for (int round = 0; round < count; ++round) {
        QElapsedTimer timer;
        timer.start();
        control<QPushButton>(form, "PushButton6")->click();
        QCoreApplication::processEvents();
        clicks.append(elapsedMs(timer));
        if (!form.preview() || !form.preview()->isVisible())
            throw RuntimeError(QStringLiteral("the preview was not shown"));
        look(300);
        control<QPushButton>(*form.preview(), "PushButton8")->click();
        look(300);
        if (officeModule().processId() != office)
            officeChanges.append(round + 1);
        office = officeModule().processId();
    }
    return clicks;
}

// The real program started as a child process on a private X server, timed until its main window
// is mapped: xev reports the screen's top-level windows as they are mapped. Each launch starts
// its office in the background, as a user's does; the program is then ended (SIGTERM, which ends
// its office too) before the next.
class Launches
{
public:
    explicit Launches(const QProcessEnvironment &environment) : mEnvironment(environment)
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        const QString xev = QStandardPaths::findExecutable(QStringLiteral("xev"));
        if (xvfb.isEmpty() || xev.isEmpty()) {
            mWhyNot = QStringLiteral("needs Xvfb and xev (Debian's xvfb and x11-utils)");
            return;
        }
        int display = 200 + int(QCoreApplication::applicationPid() % 300);
        while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display)))
            ++display;
        mDisplay = QStringLiteral(":%1").arg(display);
        mServer.start(xvfb,
                      {mDisplay, QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                       QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        for (int waited = 0; waited < 5000 && !QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display));
             waited += 20)
            QThread::msleep(20);
        QThread::msleep(200);
        QProcessEnvironment watcher = QProcessEnvironment::systemEnvironment();
        watcher.insert(QStringLiteral("DISPLAY"), mDisplay);
        mWatcher.setProcessEnvironment(watcher);
        mWatcher.start(xev, {QStringLiteral("-root"), QStringLiteral("-event"), QStringLiteral("substructure")});
        if (!mWatcher.waitForStarted(5000))
            mWhyNot = QStringLiteral("xev did not start");
        QThread::msleep(300);
    }

    ~Launches()
    {
        mWatcher.kill();
        mWatcher.waitForFinished(2000);
        mServer.terminate();
        mServer.waitForFinished(2000);
    }

    const QString &whyNot() const { return mWhyNot; }

    // One launch of program until its main window is mapped, in milliseconds.
    double run(const QString &program)
    {
        mWatcher.readAllStandardOutput();
        QProcess child;
        QProcessEnvironment environment = mEnvironment;
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.insert(QStringLiteral("DISPLAY"), mDisplay);
        child.setProcessEnvironment(environment);
        child.setStandardOutputFile(QProcess::nullDevice());
        child.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        child.start(program, {});
        QByteArray seen;
        double mapped = -1;
        while (mapped < 0 && timer.elapsed() < 20000) {
            mWatcher.waitForReadyRead(5);
            seen += mWatcher.readAllStandardOutput();
            if (seen.contains("MapNotify"))
                mapped = elapsedMs(timer);
        }
        child.terminate();
        if (!child.waitForFinished(10000))
            child.kill();
        if (mapped < 0)
            throw RuntimeError(QStringLiteral("the program's window never appeared"));
        return mapped;
    }

private:
    QProcessEnvironment mEnvironment;
    QString mDisplay;
    QString mWhyNot;
    QProcess mServer;
    QProcess mWatcher;
};

// Starts an office and connects to it, in milliseconds.
double officeStart()
{
    shutdownOfficeEngine();
    QElapsedTimer timer;
    timer.start();
    CreateObject(QStringLiteral("Word.Application")).call(QStringLiteral("Quit"));
    return elapsedMs(timer);
}

// What a user could script without this program: one command-line conversion of the template to
// PNG, with a profile of its own, as the office's own start script runs it.
class Conversion
{
public:
    Conversion(const QString &root, const QString &name, const QString &source)
        : mFolder(root + QLatin1Char('/') + name)
        , mSource(source)
    {
        QDir().mkpath(mFolder + QStringLiteral("/tmp"));
        QDir().mkpath(mFolder + QStringLiteral("/out"));
    }

    // One conversion, in milliseconds.
    double run() const
    {
        QProcess office;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), mFolder + QStringLiteral("/tmp"));
        office.setProcessEnvironment(environment);
        office.setProgram(program());
        office.setArguments({QStringLiteral("-env:UserInstallation=")
                                 + QUrl::fromLocalFile(mFolder + QStringLiteral("/profile")).toString(),
                             QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("png"),
                             QStringLiteral("--outdir"), mFolder + QStringLiteral("/out"), mSource});
        office.setStandardOutputFile(QProcess::nullDevice());
        office.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        office.start();
        if (!office.waitForFinished(120000) || office.exitCode() != 0)
            throw RuntimeError(QStringLiteral("the command-line conversion failed"));
        const double elapsed = elapsedMs(timer);
        const QString picture = mFolder + QStringLiteral("/out/") + QFileInfo(mSource).completeBaseName()
            + QStringLiteral(".png");
        if (!QFile::remove(picture))
            throw RuntimeError(QStringLiteral("the command-line conversion wrote no picture"));
        return elapsed;
    }

private:
    static QString program()
    {
        const QString onPath = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        return onPath.isEmpty() ? QStringLiteral("/usr/lib/libreoffice/program/soffice") : onPath;
    }

    QString mFolder;
    QString mSource;
};

} // namespace

int main(int argc, char *argv[])
{
    const BenchEnvironment root;
    QApplication application(argc, argv);
    const int generations = qMax(1, application.arguments().value(1, QStringLiteral("20")).toInt());
    CountingBoxes boxes;
    MessageBoxes::setInstance(&boxes);
    registerOfficeEngine();
    if (qEnvironmentVariableIsEmpty("BENCH_NO_SHARPEN"))
        PageSharpening::setRenderer(&renderFirstPage);
    QTextStream out(stdout);
    const int runs = 9;
    const int slowRuns = 5;
    try {
        // The office's profile is made once, as on any machine after the first start.
        officeStart();
        shutdownOfficeEngine();

        // Launch to main window: the real program, beside this benchmark.
        QList<double> launches;
        QString launchesWhyNot;
        {
            Launches launch(QProcessEnvironment::systemEnvironment());
            launchesWhyNot = launch.whyNot();
            const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/mistlefold");
            if (launchesWhyNot.isEmpty() && !QFileInfo(program).isExecutable())
                launchesWhyNot = program + QStringLiteral(" is missing");
            for (int run = 0; launchesWhyNot.isEmpty() && run < runs; ++run)
                launches.append(launch.run(program));
        }

        // The main window built and shown in this process, its engine check included (which
        // starts the office in the background).
        QElapsedTimer timer;
        timer.start();
        Form1 form;
        if (Program::hasEnded())
            throw RuntimeError(QStringLiteral("the office could not be started"));
        form.show();
        QCoreApplication::processEvents();
        const double window = elapsedMs(timer);
        control<QPushButton>(form, "PushButton4")->click();

        // Memory after generations: the program keeps running, as a user's would. Resident
        // memory moves with what happens to be free at the moment; each figure is the median of
        // the five generations up to the 20th and to the Nth.
        for (QElapsedTimer started; !officeModule().processId();) {
            if (!started.isValid())
                started.start();
            if (started.elapsed() > 30000)
                throw RuntimeError(QStringLiteral("the office started in the background never ran"));
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        const Memory start = memoryNow();
        QList<Memory> around20;
        QList<Memory> aroundLast;
        QList<Memory> series; // every 20th generation
        QSet<qint64> offices; // a worn office is replaced by a fresh one now and then
        // The first click on a fresh office, against the clicks after it: the first at start (the
        // office started in the background) and the first after each replacement.
        QList<double> firstClicks;
        QList<double> laterClicks;
        for (int generation = 1; generation <= generations; ++generation) {
            const qint64 officeBefore = officeModule().processId();
            const double click = clickToPreview(form);
            (generation == 1 || !offices.contains(officeBefore) ? firstClicks : laterClicks).append(click);
            offices.insert(officeModule().processId());
            if (generation > qMin(20, generations) - 5 && generation <= 20)
                around20.append(memoryNow());
            if (generation > generations - 5)
                aroundLast.append(memoryNow());
            if (generation % 20 == 0)
                series.append(memoryNow());
        }
        const Memory twentieth = medianOf(around20);
        const Memory last = medianOf(aroundLast);

        QList<double> clicks;
        QList<Steps> cycles;
        QFile resource(QStringLiteral(":/CUSTOM/101"));
        const QString templatePath = root.filePath(QStringLiteral("bench-template.doc"));
        if (!resource.copy(templatePath))
            throw RuntimeError(QStringLiteral("the template could not be written"));
        const QString documentPath = root.filePath(QStringLiteral("bench-filled.doc"));
        cycle(templatePath, documentPath, false); // warm-up
        QList<double> officeWork;
        QList<double> sharpened;
        for (int run = 0; run < runs; ++run) {
            clicks.append(clickToPreview(form));
            officeWork.append(officeProcessorMs);
            sharpened.append(sharpenedMs);
            cycles.append(cycle(templatePath, documentPath, false));
        }

        const QList<double> paced = rounds(form, 60);

        QList<Steps> fresh;
        QList<double> conversions;
        QList<double> starts;
        const Conversion first(root.path(), QStringLiteral("convert-1"), templatePath);
        const Conversion second(root.path(), QStringLiteral("convert-2"), templatePath);
        first.run(); // each profile is made once, untimed
        second.run();
        for (int run = 0; run < slowRuns; ++run) {
            fresh.append(cycle(templatePath, documentPath, true));
            conversions.append(first.run() + second.run());
            starts.append(officeStart());
        }

        const double click = medianOf(clicks);
        const Steps engine = median(cycles);
        const Steps freshMedian = median(fresh);
        const double converted = medianOf(conversions);
        out << QStringLiteral("real template; medians of %1 runs (%2 for the slow alternatives)\n")
                   .arg(runs)
                   .arg(slowRuns);
        const double oneStart = medianOf(starts);
        if (launches.isEmpty()) {
            out << QStringLiteral("launch to main window: not measured (%1); one office start: %2 ms\n")
                       .arg(launchesWhyNot)
                       .arg(oneStart, 0, 'f', 1);
        } else {
            const double launch = medianOf(launches);
            out << QStringLiteral("launch to main window (the program as a child process on Xvfb): %1 ms; one office "
                                  "start: %2 ms  (%3 of it; target at most 0.25)\n")
                       .arg(launch, 0, 'f', 1)
                       .arg(oneStart, 0, 'f', 1)
                       .arg(launch / oneStart, 0, 'f', 2);
        }
        out << QStringLiteral("main window built and shown in this process: %1 ms\n").arg(window, 0, 'f', 1);
        out << QStringLiteral("click to preview shown: %1 ms (target at most 150; the office's processor time: %2 ms); "
                              "page sharpened %3 ms after the click\n")
                   .arg(click, 0, 'f', 1)
                   .arg(medianOf(officeWork), 0, 'f', 0)
                   .arg(medianOf(sharpened), 0, 'f', 0);
        out << QStringLiteral("first click on a fresh office (at start, after each replacement): %1 ms; the clicks "
                              "after it: %2 ms\n")
                   .arg(medianOf(firstClicks), 0, 'f', 1)
                   .arg(medianOf(laterClicks), 0, 'f', 1);
        out << QStringLiteral("a fresh office per fill: %1 ms  (%2 x slower)\n")
                   .arg(freshMedian.total(), 0, 'f', 1)
                   .arg(freshMedian.total() / click, 0, 'f', 1);
        out << QStringLiteral("two command-line conversions to PNG: %1 ms  (%2 x slower; target at least 10 x)\n")
                   .arg(converted, 0, 'f', 1)
                   .arg(converted / click, 0, 'f', 1);
        const auto slowest = std::max_element(paced.begin(), paced.end());
        QStringList changes;
        for (int round : std::as_const(officeChanges))
            changes.append(QString::number(round));
        out << QStringLiteral("60 rounds of start, 0.3 s, back, 0.3 s: click to preview median %1 ms, slowest %2 ms "
                              "in round %3 (%4 x the median; target at most 2 x); a fresh office took over after "
                              "round %5\n")
                   .arg(medianOf(paced), 0, 'f', 1)
                   .arg(*slowest, 0, 'f', 1)
                   .arg(slowest - paced.begin() + 1)
                   .arg(*slowest / medianOf(paced), 0, 'f', 2)
                   .arg(changes.isEmpty() ? QStringLiteral("none") : changes.join(QStringLiteral(", ")));
        print(out, "engine's", engine);
        out << QStringLiteral("click to preview / engine's cycle: %1 x (target at most 1.5 x)\n")
                   .arg(click / engine.total(), 0, 'f', 2);
        out << QStringLiteral("memory with the main window shown: %1 MiB (program %2, office %3)\n")
                   .arg(start.total(), 0, 'f', 1)
                   .arg(start.program, 0, 'f', 1)
                   .arg(start.office, 0, 'f', 1);
        out << QStringLiteral("memory after %1 generations: %2 MiB (program %3, office %4; target at most 300)\n")
                   .arg(generations)
                   .arg(last.total(), 0, 'f', 1)
                   .arg(last.program, 0, 'f', 1)
                   .arg(last.office, 0, 'f', 1);
        out << QStringLiteral("memory every 20 generations (program + office):");
        for (const Memory &sample : std::as_const(series))
            out << QStringLiteral(" %1+%2").arg(sample.program, 0, 'f', 0).arg(sample.office, 0, 'f', 0);
        out << '\n';
        offices.remove(0);
        out << QStringLiteral("offices over the %1 generations: %2\n").arg(generations).arg(offices.size());
        if (generations > 20) {
            out << QStringLiteral("memory after 20 generations: %1 MiB (program %2, office %3); growth to the %4th: %5 "
                                  "% (target below 5 %)\n")
                       .arg(twentieth.total(), 0, 'f', 1)
                       .arg(twentieth.program, 0, 'f', 1)
                       .arg(twentieth.office, 0, 'f', 1)
                       .arg(generations)
                       .arg((last.total() / twentieth.total() - 1) * 100, 0, 'f', 1);
        }
    } catch (const RuntimeError &error) {
        out << "failed: " << error.description() << '\n';
        Program::runCleanups();
        return 1;
    }
    Program::runCleanups();
    return boxes.shown == 0 ? 0 : 1;
}
