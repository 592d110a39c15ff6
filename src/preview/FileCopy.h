#pragma once

#include <QString>

// Copies the file source to destination, byte for byte, with WriteFileReplacing: the copy takes
// the destination's place in one step once it is complete, so a failure leaves an existing
// destination as it was and no partial or temporary file behind. A failure throws RuntimeError
// with the runtime's description of it.
void CopyFileReplacing(const QString &source, const QString &destination);
