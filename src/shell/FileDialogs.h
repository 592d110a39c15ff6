#pragma once

#include "shell/Replaceable.h"

#include <QString>
#include <QStringList>

// The Save dialog goes through this seam so that tests choose the file name and the filter.
class FileDialogs : public Replaceable<FileDialogs>
{
public:
    struct SaveSettings
    {
        QString fileName; // initial name in the name box
        QString title;
        // Display text and pattern of each entry, all separated by vertical bars:
        // "Word Files (*.doc)|*.doc|PDF Files (*.pdf)|*.pdf". The first entry is chosen at first.
        QString filter;
        QString folder; // the folder the dialog opens in
    };

    struct SaveChoice
    {
        QString fileName; // the chosen path; empty when cancelled
        QString filter;   // the display text of the entry chosen, for example "PDF Files (*.pdf)"
    };

    virtual ~FileDialogs() = default;

    // Shows a modal Save dialog and returns what was chosen. The dialog itself never asks about
    // overwriting and adds no extension.
    virtual SaveChoice getSaveFileName(const SaveSettings &settings) = 0;

    // The display texts of a filter's entries, in order.
    static QStringList filterNames(const QString &filter);

private:
    friend class Replaceable<FileDialogs>;
    static FileDialogs &platformInstance();
};
