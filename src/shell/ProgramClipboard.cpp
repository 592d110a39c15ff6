#include "shell/ProgramClipboard.h"

#include <mutex>

namespace {

std::mutex guard;
QImage held;

} // namespace

void ProgramClipboard::setImage(const QImage &image)
{
    std::lock_guard lock(guard);
    held = image;
}

QImage ProgramClipboard::image()
{
    std::lock_guard lock(guard);
    return held;
}

void ProgramClipboard::clear()
{
    setImage(QImage());
}
