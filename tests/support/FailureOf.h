#pragma once

#include "shell/RuntimeError.h"

#include <QString>

#include <functional>

// The description a piece of work fails with, or the empty text when it succeeds.
inline QString failureOf(const std::function<void()> &work)
{
    try {
        work();
    } catch (const RuntimeError &error) {
        return error.description();
    }
    return QString();
}
