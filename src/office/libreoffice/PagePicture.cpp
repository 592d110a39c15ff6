#include "PagePicture.h"

#include "FileWrite.h"

#include "shell/PageDensity.h"
#include "shell/ProgramClipboard.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/frame/XStorable.hpp>

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>

#include <atomic>
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

int pixels(sal_Int32 hundredthsOfMillimetre, double dotsPerInch)
{
    return qMax(1, int(std::lround(hundredthsOfMillimetre / HundredthsOfMillimetrePerInch * dotsPerInch)));
}

// A file name of its own for each picture: pictures may be made on two threads at once.
QString picturePath(OfficeSession &session)
{
    static std::atomic<int> made{0};
    return session.temporaryPath(QStringLiteral("-page-%1.png").arg(++made));
}

} // namespace

double screenDotsPerInch()
{
    static std::atomic<double> lastRead{ScreenDotsPerInch};
    const QCoreApplication *application = QCoreApplication::instance();
    if (application && QThread::currentThread() == application->thread()
        && qobject_cast<const QGuiApplication *>(application)) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        lastRead = ScreenDotsPerInch * (screen ? screen->devicePixelRatio() : 1.0);
    }
    return lastRead;
}

QImage pictureOfModel(OfficeSession &session, const Reference<css::lang::XComponent> &model, double dotsPerInch)
{
    if (!(dotsPerInch >= 1.0 && dotsPerInch <= 1200.0))
        throw RuntimeError(QStringLiteral("A page picture cannot be made at %1 dots per inch.").arg(dotsPerInch));
    const QString path = picturePath(session);
    try {
        session.call(QStringLiteral("make a picture of the first page"), [&] {
            const QSize page = firstPageSize(model);
            // The export comes out one pixel larger on each side than asked for.
            const sal_Int32 width = qMax(1, pixels(page.width(), dotsPerInch) - 1);
            const sal_Int32 height = qMax(1, pixels(page.height(), dotsPerInch) - 1);
            // Light compression: the file lives only until it is read back, and a fast one saves
            // more time in writing and reading than it costs in bytes. No alpha channel: the page
            // is opaque, and the picture file keeps no alpha either.
            Sequence<css::beans::PropertyValue> filterData = properties(
                {property("PixelWidth", Any(width)), property("PixelHeight", Any(height)),
                 property("Compression", Any(sal_Int32(1))), property("Translucent", Any(sal_Int32(0)))});
            const Reference<css::frame::XStorable> storable(model, UNO_QUERY_THROW);
            storable->storeToURL(
                fileUrl(path),
                properties({property("FilterName", Any(OUString("writer_png_Export"))),
                            property("FilterData", Any(filterData)), property("Overwrite", Any(true))}));
        });
    } catch (...) {
        QFile::remove(path);
        throw;
    }
    QImage picture(path, "PNG");
    QFile::remove(path);
    // The office may report success for a picture it could not write out in full when its folder
    // ran out of room: such a file does not read back.
    if (picture.isNull())
        throw RuntimeError(describeFailedWrite(QFileInfo(path).path(), 4 * 1024 * 1024, 0,
                                               QStringLiteral("The picture of the first page could not be read.")));
    const int dotsPerMeter = qRound(dotsPerInch / MetresPerInch);
    picture.setDotsPerMeterX(dotsPerMeter);
    picture.setDotsPerMeterY(dotsPerMeter);
    return picture;
}

void copyFirstPageToClipboard(OfficeSession &session, const Reference<css::lang::XComponent> &model)
{
    ProgramClipboard::setImage(pictureOfModel(session, model, screenDotsPerInch()));
}

QImage pictureOfSavedDocument(OfficeSession &session, const QString &path, double dotsPerInch)
{
    const auto model = session.loadDocument(path, true);
    QImage picture;
    try {
        picture = pictureOfModel(session, model, dotsPerInch);
    } catch (...) {
        try {
            session.closeDocument(model);
        } catch (const RuntimeError &) {
            // The first failure is the one to tell.
        }
        throw;
    }
    session.closeDocument(model);
    return picture;
}
