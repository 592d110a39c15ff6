#include "PagePicture.h"

#include <com/sun/star/frame/XStorable.hpp>

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <cmath>

namespace {

// The first page's size in hundredths of a millimetre.
QSize firstPageSize(const Reference<css::lang::XComponent> &model)
{
    const Reference<css::beans::XPropertySet> style = firstPageStyle(model);
    sal_Int32 width = 0;
    sal_Int32 height = 0;
    style->getPropertyValue("Width") >>= width;
    style->getPropertyValue("Height") >>= height;
    return QSize(width, height);
}

int pixels(sal_Int32 hundredthsOfMillimetre)
{
    return int(std::lround(hundredthsOfMillimetre / 2540.0 * PictureDotsPerInch));
}

} // namespace

void copyFirstPageToClipboard(OfficeSession &session, const Reference<css::lang::XComponent> &model)
{
    auto *application = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!application)
        throw RuntimeError(QStringLiteral("The clipboard is not available."));
    const QString path = session.temporaryPath(QStringLiteral(".png"));
    session.call(QStringLiteral("make a picture of the first page"), [&] {
        const QSize page = firstPageSize(model);
        // The export comes out one pixel larger on each side than asked for.
        const sal_Int32 width = qMax(1, pixels(page.width()) - 1);
        const sal_Int32 height = qMax(1, pixels(page.height()) - 1);
        // Light compression: the file lives only until it is read back, and a fast one saves
        // more time in writing and reading than it costs in bytes.
        Sequence<css::beans::PropertyValue> filterData = properties(
            {property("PixelWidth", Any(width)), property("PixelHeight", Any(height)),
             property("Compression", Any(sal_Int32(1)))});
        const Reference<css::frame::XStorable> storable(model, UNO_QUERY_THROW);
        storable->storeToURL(fileUrl(path), properties({property("FilterName", Any(OUString("writer_png_Export"))),
                                                        property("FilterData", Any(filterData)),
                                                        property("Overwrite", Any(true))}));
    });
    QImage picture(path, "PNG");
    QFile::remove(path);
    if (picture.isNull())
        throw RuntimeError(QStringLiteral("The picture of the first page could not be read."));
    picture.setDotsPerMeterX(PictureDotsPerMeter);
    picture.setDotsPerMeterY(PictureDotsPerMeter);
    QGuiApplication::clipboard()->setImage(picture);
}
