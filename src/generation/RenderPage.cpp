#include "generation/RenderPage.h"

#include "generation/EngineSession.h"
#include "generation/ExportPdf.h"
#include "generation/PageSharpening.h"
#include "shell/FileUtils.h"
#include "shell/RuntimeError.h"

#include <QBuffer>

QImage RenderPage(const QString &documentPath, double dotsPerInch)
{
    if (!FileExists(documentPath))
        raise(StandardError::FileNotFound);
    QImage picture;
    withWordApplication([&](const Object &) { picture = PageSharpening::render(documentPath, dotsPerInch); });
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
