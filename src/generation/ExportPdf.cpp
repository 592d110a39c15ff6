#include "generation/ExportPdf.h"

#include "automation/CreateObject.h"
#include "shell/FileUtils.h"
#include "shell/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdio>

namespace {

constexpr qint32 ExportFormatPdf = 17; // wdExportFormatPDF

// A name beside the destination that no file has: hidden, and marked as unfinished.
QString stagingPathFor(const QString &destination)
{
    const QFileInfo target(destination);
    for (;;) {
        const QString name = QStringLiteral(".%1.%2.part")
                                 .arg(target.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const QString path = target.dir().filePath(name);
        if (!QFileInfo::exists(path))
            return path;
    }
}

// Opens the document, exports it to path and closes it; the instance quits whatever happens, and
// the first failure is passed on.
void exportThroughEngine(const QString &documentPath, const QString &path)
{
    const Object word = CreateObject(WordProgId);
    try {
        const Object document =
            word.object(u"Documents"_qs).call(u"Open"_qs, {documentPath}, {{u"ReadOnly"_qs, true}}).toObject();
        document.call(u"ExportAsFixedFormat"_qs, {},
                      {{u"OutputFileName"_qs, path}, {u"ExportFormat"_qs, ExportFormatPdf}});
        document.call(u"Close"_qs);
    } catch (const RuntimeError &) {
        try {
            word.call(u"Quit"_qs); // closes what it opened
        } catch (const RuntimeError &) {
        }
        throw;
    }
    word.call(u"Quit"_qs);
}

} // namespace

void ExportPdf(const QString &documentPath, const QString &destination)
{
    // What the office could only say in its own terms is said before it starts.
    const QFileInfo target(destination);
    const QFileInfo folder(target.absolutePath());
    if (destination.isEmpty() || target.isDir() || !folder.isDir() || !folder.isWritable()
        || (target.exists() && !target.isWritable()))
        throw RuntimeError(describeFileFailure(destination));
    if (!FileExists(documentPath))
        raise(StandardError::FileNotFound);
    const QString staging = stagingPathFor(destination);
    try {
        exportThroughEngine(documentPath, staging);
        if (!QFileInfo(staging).isFile())
            throw RuntimeError(QStringLiteral("The document engine wrote no PDF."));
        // A replaced file keeps who may read it.
        if (QFileInfo::exists(destination) && !QFile::setPermissions(staging, QFileInfo(destination).permissions()))
            throw RuntimeError(describeFileFailure(destination));
        if (std::rename(QFile::encodeName(staging).constData(), QFile::encodeName(destination).constData()) != 0)
            throw RuntimeError(describeFileFailure(destination));
    } catch (const RuntimeError &) {
        QFile::remove(staging);
        throw;
    }
}
