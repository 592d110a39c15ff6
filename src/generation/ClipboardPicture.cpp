#include "generation/ClipboardPicture.h"

#include <QClipboard>
#include <QGuiApplication>

QImage GetClipboardPicture(qint32 format)
{
    Q_UNUSED(format); // the only form asked for is "any picture"
    constexpr int MaxAttempts = 1000;
    QImage picture;
    try {
        for (int attempt = 0; attempt < MaxAttempts && picture.isNull(); ++attempt)
            picture = QGuiApplication::clipboard()->image();
    } catch (...) {
        picture = QImage();
    }
    return picture;
}
