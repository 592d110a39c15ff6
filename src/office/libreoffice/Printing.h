#pragma once

#include "OfficeSession.h"

#include <com/sun/star/lang/XComponent.hpp>

#include <QSize>

// Prints the document's pages named in pages ("1" for the first; empty for all) on the printer named, copies
// times, on paper of paperTwips, and returns once the printer has taken the job. A printer the
// office does not know is a failure, not a print on another printer.
void printDocument(OfficeSession &session, const Reference<css::lang::XComponent> &model, const QString &printer,
                   int copies, const QString &pages, QSize paperTwips);
