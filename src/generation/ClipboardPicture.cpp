#include "generation/ClipboardPicture.h"

#include "shell/ProgramClipboard.h"

QImage GetClipboardPicture(qint32 format)
{
    Q_UNUSED(format); // the only form asked for is "any picture"
    constexpr int MaxAttempts = 1000;
    QImage picture;
    try {
        for (int attempt = 0; attempt < MaxAttempts && picture.isNull(); ++attempt)
            picture = ProgramClipboard::image();
    } catch (...) {
        picture = QImage();
    }
    return picture;
}
