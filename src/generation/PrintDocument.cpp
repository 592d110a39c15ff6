#include "generation/PrintDocument.h"

#include "generation/EngineSession.h"
#include "shell/FileUtils.h"
#include "shell/RuntimeError.h"

void PrintDocument(const QString &documentPath, const QString &printerName, int copies, QSize pageTwips)
{
    if (!FileExists(documentPath))
        raise(StandardError::FileNotFound);
    if (printerName.isEmpty())
        throw RuntimeError(QStringLiteral("No printer was chosen."));
    withDocumentReadOnly(documentPath, [&](const Object &document) {
        document.call(u"PrintOut"_qs, {},
                      {{u"Printer"_qs, printerName},
                       {u"Copies"_qs, qint32(copies)},
                       {u"Pages"_qs, u"1"_qs},
                       {u"PrintZoomPaperWidth"_qs, qint32(pageTwips.width())},
                       {u"PrintZoomPaperHeight"_qs, qint32(pageTwips.height())}});
    });
}
