#include "EngineCycle.h"

#include "automation/CreateObject.h"
#include "generation/FitText.h"
#include "generation/PlaceholderReplacement.h"
#include "office/OfficeEngine.h"
#include "office/OfficeModule.h"
#include "shell/Guard.h"
#include "shell/ProgramClipboard.h"
#include "shell/RuntimeError.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QTextStream>

#include <algorithm>

QString BenchDetails::tag(int index) const
{
    static const QStringList tags{"[GivenBy]", "[City]", "[Address]", "[State]"};
    return tags.at(index);
}

QString BenchDetails::text(int index) const
{
    static const QStringList texts{"The Hollies", "Springfield", "12 Evergreen Terrace", "Oregon"};
    return texts.at(index);
}

BenchEnvironment::BenchEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CACHE_HOME", filePath(QStringLiteral("cache")).toUtf8());
    qputenv("XDG_CONFIG_HOME", filePath(QStringLiteral("config")).toUtf8());
    qputenv("TEMP", path().toUtf8());
}

int CountingBoxes::show(const Message &message)
{
    ++shown;
    QTextStream(stderr) << message.text << '\n';
    return Ok;
}

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
    const auto lap = [&timer](double &step) {
        step += timer.nsecsElapsed() / 1e6;
        timer.restart();
    };
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
        FitText(guard, document, details);
        lap(steps.fit);
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
        lap(steps.reopen);
        document.call(QStringLiteral("Range")).toObject().call(QStringLiteral("CopyAsPicture"));
        if (ProgramClipboard::image().isNull())
            throw RuntimeError(QStringLiteral("no picture on the clipboard"));
        word.object(QStringLiteral("ActiveDocument"))
            .call(QStringLiteral("Close"), {}, {{QStringLiteral("savechanges"), qint16(0)}});
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
    out << QStringLiteral(
               "%1 cycle: %2 ms  (create %3, open %4, replace %5, fit %6, save %7, reopen %8, picture %9, quit %10; "
               "office at work %11)\n")
               .arg(QLatin1String(name))
               .arg(steps.total(), 0, 'f', 1)
               .arg(steps.create, 0, 'f', 1)
               .arg(steps.open, 0, 'f', 1)
               .arg(steps.replace, 0, 'f', 1)
               .arg(steps.fit, 0, 'f', 1)
               .arg(steps.save, 0, 'f', 1)
               .arg(steps.reopen, 0, 'f', 1)
               .arg(steps.picture, 0, 'f', 1)
               .arg(steps.quit, 0, 'f', 1)
               .arg(steps.office, 0, 'f', 1);
}
