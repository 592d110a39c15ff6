#include "PdfExport.h"

#include "FileWrite.h"

#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/IOException.hpp>

void storePdf(OfficeSession &session, const Reference<css::lang::XComponent> &model, const QString &path)
{
    if (path.isEmpty())
        throw RuntimeError(QStringLiteral("The file name is empty."));
    session.call(QStringLiteral("export the document as PDF to %1").arg(path), [&] {
        const Sequence<css::beans::PropertyValue> filterData = properties(
            {// The fonts travel with the file, the standard ones too, so that it looks the same
             // everywhere.
             property("EmbedStandardFonts", Any(true)),
             // The artwork as it is: no down-sampling, no lossy recompression, so that it prints
             // sharp.
             property("ReduceImageResolution", Any(false)), property("UseLosslessCompression", Any(true)),
             property("Quality", Any(sal_Int32(100))), property("ExportNotes", Any(false)),
             property("ExportFormFields", Any(false))});
        const Reference<css::frame::XStorable> storable(model, UNO_QUERY_THROW);
        try {
            storable->storeToURL(fileUrl(path),
                                 properties({property("FilterName", Any(OUString("writer_pdf_Export"))),
                                             property("FilterData", Any(filterData)), property("Overwrite", Any(true))}));
        } catch (const css::io::IOException &error) {
            throw RuntimeError(describeOfficeWriteFailure(path, toQString(error.Message)));
        }
    });
}
