#include "Printing.h"

#include "shell/PageDensity.h"

#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/view/XPrintable.hpp>

namespace {

// Twips to the office's hundredths of a millimetre.
sal_Int32 hundredthsOfMillimetre(int twips)
{
    return sal_Int32(qRound(twips * HundredthsOfMillimetrePerInch / TwipsPerInch));
}

QString printerName(const Sequence<css::beans::PropertyValue> &printer)
{
    for (const css::beans::PropertyValue &value : printer) {
        OUString name;
        if (value.Name == "Name" && (value.Value >>= name))
            return toQString(name);
    }
    return QString();
}

} // namespace

void printDocument(OfficeSession &session, const Reference<css::lang::XComponent> &model, const QString &printer,
                   int copies, const QString &pages, QSize paperTwips)
{
    if (copies < 1 || copies > 999)
        throw RuntimeError(QStringLiteral("%1 copies cannot be printed.").arg(copies));
    session.call(QStringLiteral("print the document on %1").arg(printer), [&] {
        const Reference<css::view::XPrintable> printable(model, UNO_QUERY_THROW);
        QList<css::beans::PropertyValue> settings{property("Name", Any(toOUString(printer)))};
        if (paperTwips.isValid() && !paperTwips.isEmpty())
            settings.append(property("PaperSize",
                                     Any(css::awt::Size(hundredthsOfMillimetre(paperTwips.width()),
                                                        hundredthsOfMillimetre(paperTwips.height())))));
        printable->setPrinter(properties(settings));
        // The office takes a name it does not know for its default printer: the job would come
        // out somewhere the user did not choose.
        if (printerName(printable->getPrinter()) != printer)
            throw RuntimeError(QStringLiteral("The printer %1 is not available.").arg(printer));
        QList<css::beans::PropertyValue> job{property("CopyCount", Any(sal_Int16(copies))),
                                             property("Wait", Any(true))};
        if (!pages.isEmpty())
            job.append(property("Pages", Any(toOUString(pages))));
        printable->print(properties(job));
    });
}
