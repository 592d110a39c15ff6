// Zooming and dragging a page in the preview window, on a page-sized picture (816 x 1056 logical
// pixels from 1632 x 2112 pixels at 192 dpi): the time from a zoom step until the page is painted,
// at every zoom factor and repeatedly for the step to 4.0, and the scalings a drag causes.
// Target: a zoom step to 4.0 repaints in 16 ms or less; dragging scales nothing.
#include "Controls.h"
#include "SamplePage.h"
#include "preview/Form2.h"
#include "preview/PictureBox.h"
#include "preview/Viewport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace {

PictureBox *page(const Form2 &preview)
{
    return control<PictureBox>(preview, "Picture1");
}

// One click on "Zoom In" or "Zoom Out".
void zoomStep(const Form2 &preview, bool in)
{
    control<QPushButton>(preview, in ? "PushButton1" : "PushButton2")->click();
}

// Lets the page box finish scaling the parts of the page not shown yet.
qint64 settle(Form2 &preview)
{
    QElapsedTimer timer;
    timer.start();
    while (page(preview)->isFillingAhead())
        QCoreApplication::processEvents();
    return timer.nsecsElapsed();
}

// One zoom step, timed until the window has painted it.
double timedStep(Form2 &preview, bool in)
{
    QElapsedTimer timer;
    timer.start();
    zoomStep(preview, in);
    preview.repaint();
    return timer.nsecsElapsed() / 1e6;
}

void mouse(QWidget *widget, QEvent::Type type, QPointF position, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, position, widget->mapToGlobal(position), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QWidget mainWindow;
    Form2 preview(&mainWindow);
    preview.setPicture(samplePage());
    preview.show();
    if (!QTest::qWaitForWindowExposed(&preview))
        return 1;
    const ViewportState &state = preview.viewport().state();

    std::printf("zoom step: ms until painted (ms until the rest of the page is scaled)\n");
    while (state.mZoom > 0.25f)
        zoomStep(preview, false);
    settle(preview);
    while (state.mZoom < 4.0f) {
        const double painted = timedStep(preview, true);
        const double rest = settle(preview) / 1e6;
        std::printf("  to %.2f  %6.2f  (%6.2f)\n", state.mZoom, painted, rest);
    }

    QList<double> toFour;
    for (int round = 0; round < 25; ++round) {
        timedStep(preview, false);
        settle(preview);
        toFour.append(timedStep(preview, true));
        settle(preview);
    }
    std::sort(toFour.begin(), toFour.end());
    std::printf("step 3.75 -> 4.00 over %lld rounds: min %.2f ms, median %.2f ms, max %.2f ms\n",
                static_cast<long long>(toFour.size()), toFour.first(), median(toFour), toFour.last());

    // Drag the page at 4.0 from its top-left corner towards its bottom-right and back.
    PictureBox *box = page(preview);
    const int before = box->scalings();
    QList<double> moves;
    QPointF pointer(300, 240); // in the frame; the page box moves under it
    mouse(box, QEvent::MouseButtonPress, pointer - QPointF(box->pos()), Qt::LeftButton);
    for (int move = 0; move < 400; ++move) {
        pointer += move < 200 ? QPointF(-13, -17) : QPointF(13, 17);
        QElapsedTimer timer;
        timer.start();
        mouse(box, QEvent::MouseMove, pointer - QPointF(box->pos()), Qt::LeftButton);
        preview.repaint();
        moves.append(timer.nsecsElapsed() / 1e6);
    }
    mouse(box, QEvent::MouseButtonRelease, pointer - QPointF(box->pos()), Qt::NoButton);
    std::printf(
        "drag at 4.00, %lld moves: median %.2f ms, max %.2f ms per move and repaint; scalings during the drag: %d\n",
        static_cast<long long>(moves.size()), median(moves), *std::max_element(moves.begin(), moves.end()),
        box->scalings() - before);
    return 0;
}
