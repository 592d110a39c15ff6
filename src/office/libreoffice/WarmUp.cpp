#include "WarmUp.h"

#include "OfficeSession.h"
#include "PagePicture.h"

#include "shell/PageDensity.h"

#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/text/XTextDocument.hpp>

#include <QFile>

void warmUp(OfficeSession &session)
{
    const QString path = session.temporaryPath(QStringLiteral("-warm-up.doc"));
    const auto model = session.call(QStringLiteral("make a document"), [&] {
        const Reference<css::frame::XComponentLoader> loader(session.desktop(), UNO_QUERY_THROW);
        return loader->loadComponentFromURL("private:factory/swriter", "_blank", 0,
                                            properties({property("Hidden", Any(true))}));
    });
    try {
        session.call(QStringLiteral("save a document"), [&] {
            Reference<css::text::XTextDocument>(model, UNO_QUERY_THROW)->getText()->setString("Mistlefold");
            Reference<css::frame::XStorable>(model, UNO_QUERY_THROW)
                ->storeToURL(fileUrl(path),
                             properties({property("FilterName", Any(OUString("MS Word 97"))),
                                         property("Overwrite", Any(true))}));
        });
        session.closeDocument(model);
        pictureOfSavedDocument(session, path, ScreenDotsPerInch);
    } catch (...) {
        QFile::remove(path);
        throw;
    }
    QFile::remove(path);
}
