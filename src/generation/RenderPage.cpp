#include "generation/RenderPage.h"

#include "automation/CreateObject.h"
#include "generation/ExportPdf.h"
#include "generation/PageSharpening.h"
#include "shell/FileUtils.h"
#include "shell/RuntimeError.h"

#include <QBuffer>

QImage RenderPage(const QString &documentPath, double dotsPerInch)
{
    if (!FileExists(documentPath))
        raise(StandardError::FileNotFound);
    const Object word = CreateObject(WordProgId);
    QImage picture;
    try {
        picture = PageSharpening::render(documentPath, dotsPerInch);
    } catch (const RuntimeError &) {
        try {
            word.call(u"Quit"_qs);
        } catch (const RuntimeError &) {
            // The render's failure is the one to tell.
        }
        throw;
    }
    word.call(u"Quit"_qs);
    return picture;
}

void ExportPng(const QString &documentPath, const QString &destination)
{
    checkExportDestination(destination);
    const QImage page = RenderPage(documentPath, PictureFileDotsPerInch);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!page.save(&buffer, "PNG"))
        throw RuntimeError(QStringLiteral("The picture of the page could not be made into a PNG file."));
    WriteFileReplacing(bytes, destination);
}
