#include "shell/PrintDialogs.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>

namespace {

class ScreenPrintDialogs : public PrintDialogs
{
public:
    PrintChoice choosePrinter() override
    {
        QPrinter printer;
        printer.setFromTo(1, 1);
        QPrintDialog dialog(&printer, QApplication::activeWindow());
        dialog.setMinMax(1, 1);
        // One page: nothing to select or to range over.
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        if (dialog.exec() != QDialog::Accepted)
            return {};
        PrintChoice choice;
        choice.accepted = true;
        choice.copies = qMax(1, printer.copyCount());
        if (printer.outputFormat() == QPrinter::PdfFormat || !printer.outputFileName().isEmpty())
            choice.outputFile = printer.outputFileName();
        else
            choice.printerName = printer.printerName();
        return choice;
    }
};

} // namespace

PrintDialogs &PrintDialogs::platformInstance()
{
    static ScreenPrintDialogs screenDialogs;
    return screenDialogs;
}
