#pragma once

#include "shell/Replaceable.h"

#include <QString>

// Opens a web page in the user's browser without waiting for it; replaceable by tests.
class Browser : public Replaceable<Browser>
{
public:
    virtual ~Browser() = default;
    virtual void open(const QString &address) = 0;

private:
    friend class Replaceable<Browser>;
    static Browser &platformInstance();
};
