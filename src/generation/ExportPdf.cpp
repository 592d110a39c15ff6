#include "generation/ExportPdf.h"

#include "automation/WordConstants.h"
#include "generation/EngineSession.h"
#include "generation/TempFolder.h"
#include "shell/FileUtils.h"
#include "shell/RuntimeError.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace {

// Exports the open document to path as a PDF.
void exportThroughEngine(const QString &documentPath, const QString &path)
{
    withDocumentReadOnly(documentPath, [&](const Object &document) {
        document.call(u"ExportAsFixedFormat"_qs, {},
                      {{u"OutputFileName"_qs, path}, {u"ExportFormat"_qs, WordConstants::ExportFormatPdf}});
    });
}

} // namespace

void checkExportDestination(const QString &destination)
{
    const QFileInfo target(destination);
    const QFileInfo folder(target.absolutePath());
    if (destination.isEmpty() || target.isDir() || !folder.isDir() || !folder.isWritable()
        || (target.exists() && !target.isWritable()))
        throw RuntimeError(describeFileFailure(destination));
}

void ExportPdf(const QString &documentPath, const QString &destination)
{
    // What the office could only say in its own terms is said before it starts.
    checkExportDestination(destination);
    if (!FileExists(documentPath))
        raise(StandardError::FileNotFound);
    // The engine writes the PDF among the program's work files; it reaches the destination only
    // complete, in one step, the way every file is replaced.
    const QString exported = TempFolder::file(
        QStringLiteral("export-%1.pdf").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    try {
        exportThroughEngine(documentPath, exported);
        if (!QFileInfo(exported).isFile())
            throw RuntimeError(QStringLiteral("The document engine wrote no PDF."));
        WriteFileReplacing(ReadRegularFile(exported), destination);
    } catch (const RuntimeError &) {
        QFile::remove(exported);
        throw;
    }
    QFile::remove(exported);
}
