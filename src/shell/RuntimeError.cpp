#include "shell/RuntimeError.h"

RuntimeError::RuntimeError(const QString &description) : mDescription(description), mUtf8(description.toUtf8()) {}

void raise(const char16_t *standardDescription)
{
    throw RuntimeError(QString::fromUtf16(standardDescription));
}
