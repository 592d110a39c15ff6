#pragma once

#include <QString>

// Copies the file source to destination, byte for byte. The copy is written beside the
// destination under a temporary name and takes the destination's place in one step once it is
// complete, so a failure leaves an existing destination as it was and no partial or temporary
// file behind. A failure throws RuntimeError with the runtime's description of it.
void CopyFileReplacing(const QString &source, const QString &destination);
