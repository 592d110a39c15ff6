#pragma once

#include "shell/Replaceable.h"

#include <QString>

// The system's Print dialog goes through this seam so that tests choose the printer.
class PrintDialogs : public Replaceable<PrintDialogs>
{
public:
    struct PrintChoice
    {
        bool accepted = false; // false when cancelled
        QString printerName;   // the printer chosen; empty when printing to a file
        QString outputFile;    // the PDF file chosen with "Print to file"; empty otherwise
        int copies = 1;
    };

    virtual ~PrintDialogs() = default;

    // Shows the modal Print dialog for a one-page document and returns what was chosen.
    virtual PrintChoice choosePrinter() = 0;

private:
    friend class Replaceable<PrintDialogs>;
    static PrintDialogs &platformInstance();
};
