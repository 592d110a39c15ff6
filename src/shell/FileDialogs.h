#pragma once

#include "shell/Replaceable.h"

#include <QString>

// The Save dialog goes through this seam so that tests choose the file name.
class FileDialogs : public Replaceable<FileDialogs>
{
public:
    struct SaveSettings
    {
        QString fileName; // initial name in the name box
        QString title;
        QString filter; // "Display text|pattern"
    };

    virtual ~FileDialogs() = default;

    // Shows a modal Save dialog; returns the chosen path, or the empty text when cancelled.
    // The dialog itself never asks about overwriting and adds no extension.
    virtual QString getSaveFileName(const SaveSettings &settings) = 0;

private:
    friend class Replaceable<FileDialogs>;
    static FileDialogs &platformInstance();
};
