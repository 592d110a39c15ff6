#pragma once

#include "automation/Object.h"

#include <QString>

#include <functional>

// One piece of work with a "Word.Application" of its own, for the commands of the preview (save as
// PDF or picture, print, copy): the instance is created, the work runs, and the instance quits
// whatever happens (closing what it opened); the first failure is passed on as RuntimeError.
void withWordApplication(const std::function<void(const Object &word)> &work);

// The same with the document at documentPath opened read-only, and closed after the work.
void withDocumentReadOnly(const QString &documentPath, const std::function<void(const Object &document)> &work);
