#pragma once

#include <QString>

// Opens a web page in the user's browser without waiting for it; replaceable by tests.
class Browser
{
public:
    virtual ~Browser() = default;
    virtual void open(const QString &address) = 0;

    static Browser &instance();
    static void setInstance(Browser *browser); // nullptr restores the desktop's browser
};
