#include "Poppler.h"

#include <QDebug>
#include <QProcess>

QString popplerOutput(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning() << tool << "failed:" << process.readAllStandardError();
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList pdfFonts(const QString &pdf)
{
    return popplerOutput(QStringLiteral("pdffonts"), {pdf}).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
}

bool isEmbedded(const QString &fontRow)
{
    // name, type (one or two words), encoding, emb, sub, uni, object number, generation: counted
    // from the end, "emb" is the fifth column whatever the type's width.
    const QStringList columns = fontRow.simplified().split(QLatin1Char(' '));
    return columns.size() >= 8 && columns.at(columns.size() - 5) == QLatin1String("yes");
}
