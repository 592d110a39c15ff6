#include "OfficeReadBack.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QUrl>
#include <QXmlStreamReader>

namespace {

struct Style
{
    bool bold = false;
    QString color;
    QString parent;
};

// Reads the automatic and common text properties of every style.
QHash<QString, Style> readStyles(const QByteArray &xml)
{
    QHash<QString, Style> styles;
    QXmlStreamReader reader(xml);
    QString current;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        if (reader.qualifiedName() == QLatin1String("style:style")) {
            current = reader.attributes().value(QLatin1String("style:name")).toString();
            styles[current].parent = reader.attributes().value(QLatin1String("style:parent-style-name")).toString();
        } else if (reader.qualifiedName() == QLatin1String("style:text-properties") && !current.isEmpty()) {
            const auto attributes = reader.attributes();
            if (attributes.hasAttribute(QLatin1String("fo:font-weight")))
                styles[current].bold = attributes.value(QLatin1String("fo:font-weight")) == QLatin1String("bold");
            if (attributes.hasAttribute(QLatin1String("fo:color")))
                styles[current].color = attributes.value(QLatin1String("fo:color")).toString().toLower();
        }
    }
    return styles;
}

Style resolved(const QHash<QString, Style> &styles, const QString &name, Style inherited)
{
    QStringList chain;
    for (QString n = name; !n.isEmpty() && styles.contains(n) && !chain.contains(n); n = styles.value(n).parent)
        chain.prepend(n);
    for (const QString &n : chain) {
        const Style &style = styles.value(n);
        inherited.bold = inherited.bold || style.bold;
        if (!style.color.isEmpty())
            inherited.color = style.color;
    }
    return inherited;
}

QList<TextRun> readRuns(const QByteArray &xml)
{
    const QHash<QString, Style> styles = readStyles(xml);
    QList<TextRun> runs;
    QXmlStreamReader reader(xml);
    QList<Style> formats{Style()};
    QList<QString> containers{QString()};
    // A space of the text between two spans is white space on its own; the file's indentation
    // is white space starting a new line.
    const auto isText = [&reader] { return !reader.isWhitespace() || !reader.text().contains(QLatin1Char('\n')); };
    while (!reader.atEnd()) {
        reader.readNext();
        const QString name = reader.qualifiedName().toString();
        if (reader.isStartElement()) {
            if (name == QLatin1String("text:s") && !containers.last().isEmpty()) {
                const int count = qMax(1, reader.attributes().value(QLatin1String("text:c")).toInt());
                runs.append({containers.last(), QString(count, QLatin1Char(' ')), formats.last().bold, formats.last().color});
            }
            QString container = containers.last();
            if (name == QLatin1String("office:binary-data"))
                container.clear(); // an embedded picture's bytes
            else if (name == QLatin1String("office:text"))
                container = QStringLiteral("body");
            else if (name.startsWith(QLatin1String("style:header")) || name.startsWith(QLatin1String("style:footer")))
                container = QStringLiteral("header");
            else if (name.startsWith(QLatin1String("draw:")) && !container.startsWith(QLatin1String("object"))
                     && reader.attributes().hasAttribute(QLatin1String("draw:z-index")))
                container = QStringLiteral("object") + reader.attributes().value(QLatin1String("draw:z-index")).toString();
            containers.append(container);
            const QString style = reader.attributes().value(QLatin1String("text:style-name")).toString();
            formats.append(resolved(styles, style, formats.last()));
            if (name == QLatin1String("text:p") && !runs.isEmpty() && runs.last().container == container)
                runs.append({container, QStringLiteral("\n"), false, QString()});
        } else if (reader.isEndElement()) {
            containers.removeLast();
            formats.removeLast();
        } else if (reader.isCharacters() && isText() && !containers.last().isEmpty()) {
            runs.append({containers.last(), reader.text().toString(), formats.last().bold, formats.last().color});
        }
    }
    return runs;
}

} // namespace

QList<TextRun> OfficeReadBack::read(const QString &documentPath, QString *error)
{
    const QDir work(mWorkFolder);
    work.mkpath(QStringLiteral("profile"));
    work.mkpath(QStringLiteral("tmp"));
    work.mkpath(QStringLiteral("out"));
    QProcess converter;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {QStringLiteral("TMPDIR"), QStringLiteral("TMP"), QStringLiteral("TEMP")})
        environment.insert(name, work.filePath(QStringLiteral("tmp")));
    converter.setProcessEnvironment(environment);
    const QStringList arguments{
        QStringLiteral("--headless"), QStringLiteral("--invisible"), QStringLiteral("--norestore"),
        QStringLiteral("--nologo"), QStringLiteral("--nolockcheck"), QStringLiteral("--nodefault"),
        QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(work.filePath(QStringLiteral("profile"))).toString(),
        QStringLiteral("--convert-to"), QStringLiteral("fodt"), QStringLiteral("--outdir"),
        work.filePath(QStringLiteral("out")), documentPath};
    // A new profile makes the office stop once (status 81) to be started again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        converter.start(QStringLiteral(LIBREOFFICE_PROGRAM_DIR "/soffice.bin"), arguments);
        if (!converter.waitForFinished(60000)) {
            converter.kill();
            converter.waitForFinished();
            *error = QStringLiteral("the converter did not finish");
            return {};
        }
        if (converter.exitCode() != 81)
            break;
    }
    QFile output(work.filePath(QStringLiteral("out/") + QFileInfo(documentPath).completeBaseName() + QStringLiteral(".fodt")));
    if (!output.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("no converted file (status %1)").arg(converter.exitCode());
        return {};
    }
    const QByteArray xml = output.readAll();
    output.close();
    output.remove();
    return readRuns(xml);
}

QString textIn(const QList<TextRun> &runs, const QString &container)
{
    QString text;
    for (const TextRun &run : runs)
        if (run.container == container)
            text += run.text;
    return text;
}

const TextRun *runWith(const QList<TextRun> &runs, const QString &container, const QString &text)
{
    for (const TextRun &run : runs)
        if (run.container == container && run.text.contains(text))
            return &run;
    return nullptr;
}
