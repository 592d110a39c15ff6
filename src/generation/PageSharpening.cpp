#include "generation/PageSharpening.h"

#include "generation/Generation.h"
#include "shell/PageDensity.h"
#include "shell/Program.h"
#include "shell/RuntimeError.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// How long the preview must have stayed before its page is sharpened: a user who goes back and
// starts again at once finds the office free, not busy with a picture nobody will see (the
// office does one thing at a time, and a render under way cannot be interrupted).
constexpr std::chrono::milliseconds Settle{600};
constexpr std::chrono::milliseconds SettleStep{10};

struct Sharpening
{
    std::atomic<bool> cancelled = false;
};

std::mutex mutex;
PageSharpening::Renderer renderer;
std::shared_ptr<Sharpening> current;

// The user-interface thread's receiver of finished pictures. Never destroyed: a worker that
// finishes while the program ends posts to it harmlessly.
QObject *receiver()
{
    static auto *object = new QObject;
    return object;
}

} // namespace

void PageSharpening::setRenderer(Renderer render)
{
    std::lock_guard lock(mutex);
    renderer = std::move(render);
}

QImage PageSharpening::render(const QString &documentPath, double dotsPerInch)
{
    Renderer render;
    {
        std::lock_guard lock(mutex);
        render = renderer;
    }
    if (!render)
        throw RuntimeError(QStringLiteral("No document engine is there to make a picture of the page."));
    return render(documentPath, dotsPerInch);
}

double PageSharpening::sharperDotsPerInch(const QImage &picture)
{
    // Whole dots per inch: the picture keeps its density in whole dots per metre.
    const int dotsPerMeter = picture.dotsPerMeterX();
    return 2 * (dotsPerMeter > 0 ? std::round(dotsPerMeter * MetresPerInch) : ScreenDotsPerInch);
}

void PageSharpening::start(const QString &documentPath, const QImage &picture, GenerationHandOver &handOver)
{
    cancel();
    Renderer render;
    auto sharpening = std::make_shared<Sharpening>();
    {
        std::lock_guard lock(mutex);
        render = renderer;
        if (render)
            current = sharpening;
    }
    if (!render || picture.isNull())
        return;
    QObject *deliverTo = receiver(); // made on this, the user-interface, thread
    const double dotsPerInch = sharperDotsPerInch(picture);
    // The application's pool: the application waits for its work before it goes, by which time
    // the program's clean-up has ended the office, so a render still under way fails at once.
    QThreadPool::globalInstance()->start([=, handOver = &handOver] {
        for (auto waited = std::chrono::milliseconds(0); waited < Settle && !sharpening->cancelled; waited += SettleStep)
            std::this_thread::sleep_for(SettleStep);
        if (sharpening->cancelled || Program::hasEnded())
            return;
        QImage sharper;
        try {
            sharper = render(documentPath, dotsPerInch);
        } catch (...) {
            return; // the first picture stays
        }
        if (sharper.isNull() || sharpening->cancelled)
            return;
        QMetaObject::invokeMethod(
            deliverTo,
            [=] {
                if (!sharpening->cancelled && !Program::hasEnded())
                    handOver->setSharperPreviewPicture(sharper, documentPath);
            },
            Qt::QueuedConnection);
    });
}

void PageSharpening::cancel()
{
    std::lock_guard lock(mutex);
    if (current)
        current->cancelled = true;
    current.reset();
}
