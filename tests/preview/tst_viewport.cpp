// The preview's viewport as the user works it: zoom steps and their limits, the scroll ranges,
// dragging and the bars following a drag, and how the page is painted.
#include "Controls.h"
#include "PreviewTestSupport.h"
#include "TestFixture.h"
#include "preview/Form2.h"
#include "preview/PictureBox.h"
#include "preview/Viewport.h"

#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

#include <memory>

using namespace PreviewTest;

// The frame Picture2 is 622 x 495 outside and 618 x 491 inside its border; the page box overflows
// it by what exceeds the inside. At zoom 1.0 the page box is as large as the picture's logical size.
class ViewportTest : public TestFixture
{
    Q_OBJECT

    Form2 &preview(QSize logical, int dotsPerMeter = ScreenDotsPerMeter)
    {
        form = std::make_unique<Form2>(&mainWindow);
        form->setPicture(pagePicture(logical, dotsPerMeter));
        form->show();
        return *form;
    }
    const ViewportState &state() const { return form->viewport().state(); }
    // The window's controls, found by their design names.
    PictureBox *Picture1() const { return control<PictureBox>(*form, "Picture1"); }
    QScrollBar *HScroll1() const { return control<QScrollBar>(*form, "HScroll1"); }
    QScrollBar *VScroll1() const { return control<QScrollBar>(*form, "VScroll1"); }
    QPoint pagePosition() const { return Picture1()->pos(); }
    // Waits until the painted page has been scaled in full, so that scalings can be counted.
    bool settled() const
    {
        return QTest::qWaitFor([this] { return !Picture1()->isFillingAhead(); }, 10000);
    }
    void zoom(int steps)
    {
        for (int step = 0; step < qAbs(steps); ++step)
            QTest::mouseClick(control(*form, steps > 0 ? "PushButton1" : "PushButton2"), Qt::LeftButton);
    }

    QWidget mainWindow;
    std::unique_ptr<Form2> form;

private slots:
    void cleanup()
    {
        form.reset();
        TestFixture::cleanup();
    }

    void zoomStaysBetweenAQuarterAndFour()
    {
        preview({400, 300});
        zoom(12);
        QCOMPARE(state().mZoom, 4.0f);
        QCOMPARE(Picture1()->size(), QSize(1600, 1200));
        QVERIFY(settled());
        const int scalings = Picture1()->scalings();
        zoom(1); // 4.25 is refused: nothing changes and nothing is painted again
        QVERIFY(settled());
        QCOMPARE(state().mZoom, 4.0f);
        QCOMPARE(Picture1()->scalings(), scalings);

        zoom(-15);
        QCOMPARE(state().mZoom, 0.25f);
        QCOMPARE(Picture1()->size(), QSize(100, 75));
        zoom(-1);
        QCOMPARE(state().mZoom, 0.25f);
        QCOMPARE(boxes->shown.size(), 0);
    }

    void tooLargeAPageReturnsToZoomOneWithoutPainting_data()
    {
        QTest::addColumn<QSize>("logical");
        QTest::newRow("11000 wide at 2.5") << QSize(4400, 40);
        QTest::newRow("13800 high at 2.5") << QSize(40, 5520);
    }
    void tooLargeAPageReturnsToZoomOneWithoutPainting()
    {
        QFETCH(QSize, logical);
        preview(logical);
        zoom(5);
        QCOMPARE(state().mZoom, 2.25f);
        HScroll1()->setValue(HScroll1()->isEnabled() ? 3 : 0);
        VScroll1()->setValue(VScroll1()->isEnabled() ? 3 : 0);
        const QRect painted = Picture1()->geometry();
        QVERIFY(settled());
        const int scalings = Picture1()->scalings();

        zoom(1);
        QCOMPARE(state().mZoom, 1.0f);
        QCOMPARE(state().mZoomWidth, logical.width());
        QCOMPARE(state().mZoomHeight, logical.height());
        // The last painted page stays where it was, and the bars are not touched.
        QCOMPARE(Picture1()->geometry(), painted);
        QVERIFY(settled());
        QCOMPARE(Picture1()->scalings(), scalings);
        QCOMPARE(boxes->shown.size(), 0);

        zoom(1);
        QCOMPARE(state().mZoom, 1.25f);
        QCOMPARE(Picture1()->size(), logical * 1.25);
    }

    void scrollRangeFollowsTheOverflow_data()
    {
        QTest::addColumn<int>("pageWidth");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("step");
        QTest::newRow("overflow 100") << 718 << 100 << 1;
        QTest::newRow("overflow 101") << 719 << 10 << 10;
        QTest::newRow("overflow 105") << 723 << 10 << 10;
        QTest::newRow("overflow 115") << 733 << 12 << 10;
    }
    void scrollRangeFollowsTheOverflow()
    {
        QFETCH(int, pageWidth);
        QFETCH(int, maximum);
        QFETCH(int, step);
        preview({pageWidth, 300});
        QVERIFY(HScroll1()->isEnabled());
        QCOMPARE(HScroll1()->maximum(), maximum);
        QCOMPARE(state().mHStep, step);
        QVERIFY(!VScroll1()->isEnabled());
        QCOMPARE(state().mVStep, 0);
    }

    // Without new ranges after a zoom step, the bars would stop short of the enlarged page or run
    // past the reduced one.
    void everyRepaintBringsTheBarsInLine()
    {
        preview({812, 600});
        QCOMPARE(HScroll1()->maximum(), 19); // nearest(19.4)
        QCOMPARE(VScroll1()->maximum(), 11); // nearest(10.9)
        press(Picture1(), {400, 100});
        moveHeld(Picture1(), {305, 60});
        release(Picture1(), {305, 60});
        QVERIFY(pagePosition() != QPoint(0, 0));

        zoom(1); // 1015 x 750
        QCOMPARE(pagePosition(), QPoint(0, 0));
        QCOMPARE(HScroll1()->value(), 0);
        QCOMPARE(VScroll1()->value(), 0);
        QCOMPARE(HScroll1()->maximum(), 40); // nearest(39.7)
        QCOMPARE(VScroll1()->maximum(), 26); // nearest(25.9)
        QVERIFY(HScroll1()->isEnabled() && VScroll1()->isEnabled());

        zoom(-2); // 609 x 450: inside the frame
        QCOMPARE(pagePosition(), QPoint(0, 0));
        QVERIFY(!HScroll1()->isEnabled() && !VScroll1()->isEnabled());
        QCOMPARE(state().mHStep, 0);
        QCOMPARE(state().mVStep, 0);
        QCOMPARE(boxes->shown.size(), 0);
    }

    // After a zoom step each bar is enabled exactly when the page exceeds the frame's inside, and
    // its range then reaches the page's far edge. Measured against the frame's outside, a page 1
    // to 4 units too large would get a disabled bar.
    void barsFollowTheZoomedPageToTheUnit_data()
    {
        QTest::addColumn<int>("pageWidth");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("zoomedWidth");
        QTest::newRow("in to 617") << 494 << 1 << 617; // floor(617.5)
        QTest::newRow("in to 618, as wide as the inside") << 495 << 1 << 618;
        QTest::newRow("out to 619") << 826 << -1 << 619; // floor(619.5)
        QTest::newRow("in to 620") << 496 << 1 << 620;
        QTest::newRow("in to 621") << 497 << 1 << 621;
        QTest::newRow("in to 622, as wide as the outside") << 498 << 1 << 622;
        QTest::newRow("in to 623") << 499 << 1 << 623;
    }
    void barsFollowTheZoomedPageToTheUnit()
    {
        QFETCH(int, pageWidth);
        QFETCH(int, steps);
        QFETCH(int, zoomedWidth);
        preview({pageWidth, 300});
        zoom(steps);
        QCOMPARE(Picture1()->width(), zoomedWidth);
        QCOMPARE(HScroll1()->isEnabled(), zoomedWidth > 618);
        if (!HScroll1()->isEnabled())
            return;
        HScroll1()->setValue(HScroll1()->maximum());
        // The page's right edge at the frame's inner right edge.
        QCOMPARE(pagePosition().x() + Picture1()->width(), 618);
    }

    // The wheel over the page scrolls it through the bars (six values of 10 units a notch), or
    // sideways with Shift; with Ctrl it zooms a step a notch within the buttons' limits. Touchpads
    // send parts of a notch, which add up.
    void theWheelScrollsAndZooms_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<int>("turns");
        QTest::addColumn<int>("hValue");
        QTest::addColumn<int>("vValue");
        QTest::addColumn<float>("zoom");
        const int none = Qt::NoModifier;
        QTest::newRow("down a notch") << none << QPoint(0, -120) << 1 << 0 << 6 << 1.0f;
        QTest::newRow("up at the top") << none << QPoint(0, 120) << 1 << 0 << 0 << 1.0f;
        QTest::newRow("down to the bottom") << none << QPoint(0, -120) << 12 << 0 << 51 << 1.0f;
        QTest::newRow("touchpad, a notch in eighths") << none << QPoint(0, -15) << 8 << 0 << 6 << 1.0f;
        QTest::newRow("touchpad, less than a value") << none << QPoint(0, -15) << 1 << 0 << 0 << 1.0f;
        QTest::newRow("Shift: sideways") << int(Qt::ShiftModifier) << QPoint(0, -120) << 1 << 6 << 0 << 1.0f;
        QTest::newRow("sideways wheel") << none << QPoint(-120, 0) << 2 << 12 << 0 << 1.0f;
        QTest::newRow("Ctrl: in a step") << int(Qt::ControlModifier) << QPoint(0, 120) << 1 << 0 << 0 << 1.25f;
        QTest::newRow("Ctrl: out a step") << int(Qt::ControlModifier) << QPoint(0, -120) << 1 << 0 << 0 << 0.75f;
        QTest::newRow("Ctrl: touchpad thirds") << int(Qt::ControlModifier) << QPoint(0, 40) << 3 << 0 << 0 << 1.25f;
        QTest::newRow("Ctrl: touchpad, not yet a step") << int(Qt::ControlModifier) << QPoint(0, 40) << 2 << 0 << 0 << 1.0f;
        QTest::newRow("Ctrl: out past the smallest") << int(Qt::ControlModifier) << QPoint(0, -120) << 5 << 0 << 0 << 0.25f;
    }
    void theWheelScrollsAndZooms()
    {
        QFETCH(int, modifiers);
        QFETCH(QPoint, delta);
        QFETCH(int, turns);
        QFETCH(int, hValue);
        QFETCH(int, vValue);
        QFETCH(float, zoom);
        preview({812, 1000}); // maxima 19 and 51, ten units a value
        for (int turn = 0; turn < turns; ++turn) {
            QWheelEvent wheel(QPointF(50, 50), Picture1()->mapToGlobal(QPointF(50, 50)), QPoint(), delta, Qt::NoButton,
                              Qt::KeyboardModifiers(modifiers), Qt::NoScrollPhase, false);
            QApplication::sendEvent(Picture1(), &wheel);
        }
        QCOMPARE(state().mZoom, zoom);
        QCOMPARE(HScroll1()->value(), hValue);
        QCOMPARE(VScroll1()->value(), vValue);
        QCOMPARE(pagePosition(), QPoint(-10 * hValue, -10 * vValue));
        QCOMPARE(boxes->shown.size(), 0);
    }

    void dragStopsAtTheFrameEdges()
    {
        preview({812, 600});
        press(Picture1(), {100, 100});
        moveHeld(Picture1(), {150, 130}); // right and down, past the top-left corner
        QCOMPARE(pagePosition(), QPoint(0, 0));
        moveHeld(Picture1(), {-500, -500}); // far left and up
        QCOMPARE(pagePosition(), QPoint(618 - 812, 491 - 600));
        // Moving without a button held drags nothing.
        sendMouse(Picture1(), QEvent::MouseMove, {300, 300}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(pagePosition(), QPoint(618 - 812, 491 - 600));
    }

    // A page that fits the frame on one axis stays put on that axis while it is dragged on the
    // other; before, the clamp threw it against the frame's far edge on any move.
    void aPageThatFitsStaysPutOnThatAxis_data()
    {
        QTest::addColumn<QSize>("logical");
        QTest::addColumn<QPointF>("move");
        QTest::addColumn<QPoint>("dragged");
        QTest::newRow("narrow page, vertical drag") << QSize(300, 600) << QPointF(100, 90) << QPoint(0, -10);
        QTest::newRow("narrow page, diagonal drag") << QSize(300, 600) << QPointF(60, 80) << QPoint(0, -20);
        QTest::newRow("page as wide as the inside") << QSize(618, 600) << QPointF(70, 90) << QPoint(0, -10);
        QTest::newRow("short page, horizontal drag") << QSize(812, 400) << QPointF(70, 100) << QPoint(-30, 0);
        QTest::newRow("small page, any drag") << QSize(300, 400) << QPointF(140, 150) << QPoint(0, 0);
    }
    void aPageThatFitsStaysPutOnThatAxis()
    {
        QFETCH(QSize, logical);
        QFETCH(QPointF, move);
        QFETCH(QPoint, dragged);
        preview(logical);
        press(Picture1(), {100, 100});
        moveHeld(Picture1(), move);
        QCOMPARE(pagePosition(), dragged);
        release(Picture1(), move);
        QCOMPARE(boxes->shown.size(), 0);
    }

    void releaseMovesTheBarsToTheDraggedPlace()
    {
        preview({812, 600}); // overflow 190: maximum 19, step 10
        press(Picture1(), {400, 100});
        moveHeld(Picture1(), {305, 100});
        QCOMPARE(pagePosition(), QPoint(-95, 0));
        release(Picture1(), {305, 100});
        // 95 / 190 is 50 %, nearest(9.5) is 10, and ten steps of 10 put the page at -100.
        QCOMPARE(HScroll1()->value(), 10);
        QCOMPARE(pagePosition(), QPoint(-100, 0));

        // A click without moving still converts: -37 is 19 %, nearest(3.61) = 4, so -40.
        press(Picture1(), {400, 100});
        moveHeld(Picture1(), {463, 100});
        QCOMPARE(pagePosition(), QPoint(-37, 0));
        press(Picture1(), {200, 100});
        release(Picture1(), {200, 100});
        QCOMPARE(HScroll1()->value(), 4);
        QCOMPARE(pagePosition(), QPoint(-40, 0));
        QCOMPARE(boxes->shown.size(), 0);
    }

    void releaseWithThePageAsWideAsTheFrameReportsOnceAndCarriesOn()
    {
        preview({622, 600});
        press(Picture1(), {50, 100});
        moveHeld(Picture1(), {50, 67});
        QCOMPARE(pagePosition(), QPoint(0, -33));
        release(Picture1(), {50, 67});
        QCOMPARE(boxes->reports().size(), 1);
        QVERIFY(boxes->reports().constFirst().startsWith(
            QStringLiteral("Division by zero\r\nin Tinselmark2021/08/31.Form2.Picture1_MouseUp at line 100\r\r")));
        QCOMPARE(HScroll1()->value(), 0);
        // The vertical axis is converted after the report: 33 / 105 is 31 %, nearest(3.1) = 3.
        QCOMPARE(VScroll1()->value(), 3);
        QCOMPARE(pagePosition(), QPoint(0, -30));
    }

    void percentSettersTakeOnlyZeroToHundred()
    {
        preview({812, 1000}); // vertical overflow 509: maximum nearest(50.9) = 51
        QCOMPARE(VScroll1()->maximum(), 51);
        form->SetVScrollbarByPercent(*VScroll1(), 101);
        form->SetVScrollbarByPercent(*VScroll1(), -1);
        QCOMPARE(VScroll1()->value(), 0);
        form->SetVScrollbarByPercent(*VScroll1(), 100);
        QCOMPARE(VScroll1()->value(), 51);
        QCOMPARE(pagePosition(), QPoint(0, -510));
        form->SetVScrollbarByPercent(*VScroll1(), 0);
        QCOMPARE(pagePosition(), QPoint(0, 0));

        // Setting the value the bar already has leaves the page where a drag put it.
        press(Picture1(), {100, 100});
        moveHeld(Picture1(), {100, 63});
        form->SetVScrollbarByPercent(*VScroll1(), 0);
        QCOMPARE(pagePosition(), QPoint(0, -37));
    }

    // A page rendered at twice the screen's resolution is painted from its full resolution: at
    // zoom 2.0 every source pixel is one screen pixel, so one-pixel lines stay crisp; smaller
    // zooms average them smoothly instead of dropping every other one.
    void theFullResolutionIsPaintedSmoothly()
    {
        form = std::make_unique<Form2>(&mainWindow);
        form->setPicture(stripedPicture({400, 300}, DoubleDotsPerMeter));
        form->show();
        QCOMPARE(state().mOriWidth, 200);
        auto row = [this] { return Picture1()->grab().toImage(); };

        const QImage atOne = row();
        for (int x = 10; x < 60; ++x)
            QVERIFY2(qAbs(qGray(atOne.pixel(1 + x, 50)) - 128) < 32, qPrintable(QString::number(x)));

        zoom(4);
        QCOMPARE(state().mZoom, 2.0f);
        const QImage atTwo = row();
        for (int x = 0; x < 100; ++x)
            QCOMPARE(qGray(atTwo.pixel(1 + x, 50)), x % 2 ? 255 : 0);

        zoom(-6);
        QCOMPARE(state().mZoom, 0.5f);
        const QImage atHalf = row();
        for (int x = 10; x < 40; ++x)
            QVERIFY(qAbs(qGray(atHalf.pixel(1 + x, 30)) - 128) < 32);
    }

    // Covering and uncovering the window or dragging the page shows the painted page again
    // without scaling it; only a repaint at a new zoom scales.
    void thePaintedPageIsKept()
    {
        preview({816, 1056}, DoubleDotsPerMeter);
        zoom(8);
        QCOMPARE(state().mZoom, 3.0f);
        QVERIFY(settled());
        const int scalings = Picture1()->scalings();
        QVERIFY(scalings > 0);
        const QImage before = form->grab().toImage();

        form->hide();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->repaint();
        press(Picture1(), {300, 300});
        moveHeld(Picture1(), {100, 100});
        // Back to where the drag began; positions are relative to the box, which moved.
        const QPointF start = QPointF(300, 300) - QPointF(pagePosition());
        moveHeld(Picture1(), start);
        release(Picture1(), start);
        QCOMPARE(pagePosition(), QPoint(0, 0));
        QCOMPARE(form->grab().toImage(), before);
        QCOMPARE(Picture1()->scalings(), scalings);

        zoom(1);
        QVERIFY(settled());
        QVERIFY(Picture1()->scalings() > scalings);
    }
};

QTEST_MAIN(ViewportTest)
#include "tst_viewport.moc"
