// The preview window as a whole: its design, what loading it does, pointer feedback, the set-up
// on first showing, "< Back", closing, and the next hand-over after going back.
#include "Controls.h"
#include "Legibility.h"
#include "PreviewTestSupport.h"
#include "ScriptedWordServer.h"
#include "TestFixture.h"
#include "automation/CreateObject.h"
#include "generation/PageSharpening.h"
#include "preview/Form2.h"
#include "preview/PictureBox.h"
#include "preview/Viewport.h"
#include "shell/AppInfo.h"
#include "shell/BackColors.h"
#include "shell/FileUtils.h"
#include "shell/Program.h"

#include <QAccessible>
#include <QClipboard>
#include <QDir>
#include <QGroupBox>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include <memory>

using namespace PreviewTest;

namespace {

// Stands in for the main window; notes whether the filled document still existed when it was
// shown.
class MainWindowStandIn : public QWidget
{
public:
    QString watchedFile;
    QList<bool> fileExistedWhenShown;

protected:
    void showEvent(QShowEvent *event) override
    {
        fileExistedWhenShown.append(FileExists(watchedFile));
        QWidget::showEvent(event);
    }
};

QString writeDocument(const QString &folder, const QString &name)
{
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("filled document");
    return path;
}

} // namespace

class Form2Test : public TestFixture
{
    Q_OBJECT

    Form2 &handOver(QSize logical, const QString &document)
    {
        form->setPicture(pagePicture(logical));
        form->setWordFile(document);
        form->show();
        return *form;
    }
    const ViewportState &state() const { return form->viewport().state(); }
    // The window's controls, found by their design names.
    PictureBox *Picture2() const { return control<PictureBox>(*form, "Picture2"); }
    PictureBox *Picture1() const { return control<PictureBox>(*form, "Picture1"); }
    PictureBox *Zoom_Ori() const { return control<PictureBox>(*form, "Zoom_Ori"); }
    QScrollBar *HScroll1() const { return control<QScrollBar>(*form, "HScroll1"); }
    QScrollBar *VScroll1() const { return control<QScrollBar>(*form, "VScroll1"); }
    QGroupBox *Frame1() const { return control<QGroupBox>(*form, "Frame1"); }
    QPushButton *PushButton1() const { return control<QPushButton>(*form, "PushButton1"); }
    QPushButton *PushButton2() const { return control<QPushButton>(*form, "PushButton2"); }
    QPushButton *PushButton6() const { return control<QPushButton>(*form, "PushButton6"); }
    QPushButton *PushButton8() const { return control<QPushButton>(*form, "PushButton8"); }

    std::unique_ptr<MainWindowStandIn> mainWindow;
    std::unique_ptr<Form2> form;

private slots:
    void init()
    {
        const QString installedCursor = AppInfo::cursorFile(); // beside the test, as installed with the program
        TestFixture::init();
        QVERIFY(QFile::copy(installedCursor, AppInfo::cursorFile()));
        mainWindow = std::make_unique<MainWindowStandIn>();
        form = std::make_unique<Form2>(mainWindow.get());
    }
    void cleanup()
    {
        form.reset();
        mainWindow.reset();
        TestFixture::cleanup();
    }

    void controlsAreCaptionedAndPlacedAsDesigned()
    {
        const QList<QPair<QPushButton *, QString>> buttons = {
            {PushButton1(), "Zoom In"}, {PushButton2(), "Zoom Out"},
            {PushButton8(), "< Back"}, {PushButton6(), "Save Results To Word File"}};
        for (const auto &[button, caption] : buttons) {
            QCOMPARE(QString(button->text()).remove('&'), caption);
            QCOMPARE(button->font().family(), QStringLiteral("Arial"));
            QCOMPARE(button->font().pointSizeF(), 11.25);
            QVERIFY(button->font().bold());
        }
        QCOMPARE(Frame1()->title(), QStringLiteral("Zoom:"));
        QCOMPARE(PushButton1()->parentWidget(), Frame1());
        // The frame with the bars directly under and right of it, the buttons below them.
        QCOMPARE(Picture2()->geometry(), QRect(8, 8, 622, 495));
        QCOMPARE(HScroll1()->geometry(), QRect(8, 503, 622, 17));
        QCOMPARE(VScroll1()->geometry(), QRect(630, 8, 17, 495));
        QCOMPARE(Frame1()->geometry(), QRect(8, 524, 640, 57));
        QCOMPARE(PushButton8()->geometry(), QRect(8, 590, 312, 27));
        QCOMPARE(PushButton6()->geometry(), QRect(328, 590, 320, 27));
    }

    void windowIsFixedCentredAndInDesignOrder()
    {
        QCOMPARE(form->minimumSize(), QSize(656, 626));
        QCOMPARE(form->maximumSize(), QSize(656, 626));
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form->geometry().center(), form->screen()->availableGeometry().center());
        QCOMPARE(form->font().family(), QStringLiteral("Arial"));
        QCOMPARE(form->font().pointSizeF(), 9.0);
        QVERIFY(form->font().bold());
        QVERIFY(Picture1()->parentWidget() == Picture2());
        // The holding box lies beyond the client area's right edge.
        QVERIFY(Zoom_Ori()->x() >= form->width());

        // Tab visits the controls that take the focus in the designed order; the picture boxes and
        // the frame take none.
        const QList<QWidget *> designed = {HScroll1(), VScroll1(), PushButton1(),
                                           PushButton2(), PushButton6(), PushButton8()};
        QList<QWidget *> chain;
        for (QWidget *widget = HScroll1(); chain.size() < designed.size(); widget = widget->nextInFocusChain())
            if (widget->focusPolicy() & Qt::TabFocus)
                chain.append(widget);
        QCOMPARE(chain, designed);
    }

    // At a scale factor of 2 the design (1312 x 1252 pixels) is larger than a 1280 x 1024 screen.
    // A window too large for its screen sits at its top-left corner, and only what can scroll gives
    // up room: the viewport frame shrinks, its bars follow its edges, the controls below move up.
    // Run on the usual test screen, where the design fits, and as tst_form2_hidpi on that screen.
    void theWindowKeepsOnItsScreen()
    {
        handOver({816, 1056}, QString());
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        const QRect available = form->screen()->availableGeometry();
        QVERIFY(available.contains(form->frameGeometry()));
        const QSize shrunk = QSize(656, 626) - form->size();
        if (shrunk == QSize(0, 0)) // centred, give or take the frame's border
            QVERIFY((form->geometry().center() - available.center()).manhattanLength() <= 4);
        else
            QCOMPARE(form->frameGeometry().topLeft(), available.topLeft());
        const int dx = shrunk.width();
        const int dy = shrunk.height();
        QCOMPARE(Picture2()->geometry(), QRect(8, 8, 622 - dx, 495 - dy));
        QCOMPARE(HScroll1()->geometry(), QRect(8, 503 - dy, 622 - dx, 17));
        QCOMPARE(VScroll1()->geometry(), QRect(630 - dx, 8, 17, 495 - dy));
        QCOMPARE(Frame1()->geometry(), QRect(8, 524 - dy, 640 - dx, 57));
        for (QPushButton *button : {PushButton1(), PushButton2()})
            QVERIFY(Frame1()->rect().contains(button->geometry()));
        QCOMPARE(PushButton8()->geometry().topLeft(), QPoint(8, 590 - dy));
        QCOMPARE(PushButton6()->geometry().bottomRight(), QPoint(647 - dx, 616 - dy));
        QVERIFY(PushButton8()->geometry().right() < PushButton6()->geometry().left());
        // The bars still reach the page's far corner.
        HScroll1()->setValue(HScroll1()->maximum());
        VScroll1()->setValue(VScroll1()->maximum());
        const QRect page = Picture1()->geometry();
        QVERIFY(qAbs(page.right() + 1 - Picture2()->scaleWidth()) < 10);
        QVERIFY(qAbs(page.bottom() + 1 - Picture2()->scaleHeight()) < 10);
    }

    void loadingDressesTheWindowQuietly()
    {
        QCOMPARE(form->windowTitle(), AppInfo::ProductName);
        QCOMPARE(form->palette().color(QPalette::Window), buttonFaceColor());
        QCOMPARE(Frame1()->palette().color(QPalette::Window), buttonFaceColor());
        QCOMPARE(Picture2()->backColor(), QColor(Qt::white));
        QCOMPARE(Picture1()->backColor(), QColor(Qt::white));
        // The hand pointer's picture comes from HAND-M.CUR when it lies beside the program.
        QCOMPARE(form->hasMouseIcon(), FileExists(AppInfo::cursorFile()));
        QCOMPARE(boxes->shown.size(), 0);
    }

    void pointerFollowsButtonsBackgroundAndFrame()
    {
        auto hover = [](QWidget *widget) { sendMouse(widget, QEvent::MouseMove, {3, 3}, Qt::NoButton, Qt::NoButton); };
        for (QPushButton *button : {PushButton1(), PushButton2(), PushButton6(), PushButton8()}) {
            form->setMousePointer(Window::Default);
            hover(button);
            QCOMPARE(form->MousePointer(), int(Window::Custom));
        }
        hover(Frame1());
        QCOMPARE(form->MousePointer(), int(Window::Default));
        form->setMousePointer(Window::Custom);
        hover(form.get());
        QCOMPARE(form->MousePointer(), int(Window::Default));
        // The page, its frame and the bars leave the pointer alone.
        form->setMousePointer(Window::Custom);
        for (QWidget *widget : QList<QWidget *>{Picture1(), Picture2(), HScroll1(), VScroll1()})
            hover(widget);
        QCOMPARE(form->MousePointer(), int(Window::Custom));
        // The hourglass stays while a generation runs.
        form->setMousePointer(Window::Hourglass);
        for (QWidget *widget : QList<QWidget *>{PushButton1(), PushButton6(), Frame1(), form.get()})
            hover(widget);
        QCOMPARE(form->MousePointer(), int(Window::Hourglass));
        // A repaint ends with the default pointer.
        form->setMousePointer(Window::Custom);
        handOver({700, 900}, QString());
        QCOMPARE(form->MousePointer(), int(Window::Default));
    }

    // The window takes the button-face colour and keeps white buttons; with a dark scheme the
    // captions would keep the theme's light text colour, white on the white buttons.
    void captionsStayReadableUnderADarkScheme_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"Frame1", "PushButton1", "PushButton2", "PushButton6", "PushButton8"})
            QTest::newRow(name) << name;
    }
    void captionsStayReadableUnderADarkScheme()
    {
        QFETCH(QString, name);
        const Legibility::ApplicationPalette dark(Legibility::darkPalette());
        form = std::make_unique<Form2>(mainWindow.get());
        handOver({700, 900}, QString());
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QWidget *widget = control(*form, name);
        QRect lettering = widget->rect().adjusted(4, 4, -4, -4); // a button's caption, inside its edge
        if (auto *frame = qobject_cast<QGroupBox *>(widget))
            lettering = Legibility::titleArea(frame);
        QVERIFY2(Legibility::brightnessSpread(widget, lettering) >= Legibility::ReadableSpread,
                 qPrintable(QString::number(Legibility::brightnessSpread(widget, lettering))));
    }

    // What a screen reader says where the captions say too little ("less than Back") or nothing.
    // Both windows would be announced as "Mistlefold": the window is told by its name and what it
    // is for, and nothing in it goes unnamed.
    void controlsHaveClearAccessibleNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("accessibleName");
        QTest::newRow("window") << "" << "Invitation preview";
        QTest::newRow("page view") << "Picture2" << "Page view";
        QTest::newRow("horizontal bar") << "HScroll1" << "Scroll the page left or right";
        QTest::newRow("vertical bar") << "VScroll1" << "Scroll the page up or down";
        QTest::newRow("page") << "Picture1" << "Invitation page";
        QTest::newRow("Zoom In") << "PushButton1" << "Zoom In";
        QTest::newRow("Zoom Out") << "PushButton2" << "Zoom Out";
        QTest::newRow("Back") << "PushButton8" << "Back";
        QTest::newRow("Save") << "PushButton6" << "Save Results To Word File";
    }
    void controlsHaveClearAccessibleNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, accessibleName);
        handOver({700, 900}, QString());
        QAccessibleInterface *accessible =
            QAccessible::queryAccessibleInterface(name.isEmpty() ? form.get() : control(*form, name));
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), accessibleName);
        if (name.isEmpty()) {
            QCOMPARE(accessible->role(), QAccessible::Window);
            QVERIFY(!accessible->text(QAccessible::Description).isEmpty());
            QCOMPARE(form->windowTitle(), QStringLiteral("Mistlefold"));
            QCOMPARE(unnamedAccessibles(accessible), QStringList());
        }
    }

    // Keys press the buttons: Escape "< Back", Ctrl+S saving, Ctrl++ (or Ctrl+=) and Ctrl+- the
    // zoom buttons, Alt and an underlined letter its button. Zoom In at 4.0 would do nothing,
    // silently: a zoom button at its limit is disabled (and its key with it), and enabled again a
    // step away. Its focus goes to the window, so that Space never goes on to press Zoom Out.
    void keysPressTheButtons_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("button");
        QTest::addColumn<float>("zoom");
        QTest::addColumn<QString>("focus");
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << 1 << "PushButton8" << 1.0f << "HScroll1";
        QTest::newRow("Ctrl+S") << int(Qt::Key_S) << ctrl << 1 << "PushButton6" << 1.0f << "HScroll1";
        QTest::newRow("Ctrl+=") << int(Qt::Key_Equal) << ctrl << 1 << "PushButton1" << 1.25f << "HScroll1";
        QTest::newRow("Ctrl++ up to 4.0") << int(Qt::Key_Plus) << ctrl << 14 << "PushButton1" << 4.0f << "HScroll1";
        QTest::newRow("Ctrl+keypad - down to 0.25")
            << int(Qt::Key_Minus) << int(ctrl | Qt::KeypadModifier) << 5 << "PushButton2" << 0.25f << "HScroll1";
        QTest::newRow("Alt+O") << int(Qt::Key_O) << int(Qt::AltModifier) << 1 << "PushButton2" << 0.75f << "HScroll1";
        QTest::newRow("Space on Zoom In up to 4.0") << int(Qt::Key_Space) << 0 << 14 << "PushButton1" << 4.0f
                                                    << "PushButton1";
    }
    void keysPressTheButtons()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, presses);
        QFETCH(QString, button);
        QFETCH(float, zoom);
        QFETCH(QString, focus);
        handOver({700, 900}, QString());
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        control(*form, focus)->setFocus();
        QSignalSpy pressed(control<QPushButton>(*form, button), &QPushButton::clicked);
        for (int i = 0; i < presses; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_VERIFY(!pressed.isEmpty()); // a mnemonic animates its click
        QCOMPARE(state().mZoom, zoom);
        QCOMPARE(PushButton1()->isEnabled(), zoom < 4.0f);
        QCOMPARE(PushButton2()->isEnabled(), zoom > 0.25f);
        QTest::mouseClick(zoom == 4.0f ? PushButton2() : PushButton1(), Qt::LeftButton);
        QVERIFY(PushButton1()->isEnabled() && PushButton2()->isEnabled());
    }

    // Ctrl+C puts the page on the system clipboard at twice the screen's density: the sharpened
    // page as it is, otherwise one the engine renders from the document; without an engine it
    // is reported and the clipboard keeps what it had.
    void ctrlCCopiesThePageAtTwiceTheDensity_data()
    {
        QTest::addColumn<bool>("sharpened");
        QTest::addColumn<bool>("engine");
        QTest::addColumn<QList<double>>("rendered");
        QTest::newRow("sharpened") << true << true << QList<double>{};
        QTest::newRow("rendered") << false << true << QList<double>{192};
        QTest::newRow("no engine") << false << false << QList<double>{};
    }
    void ctrlCCopiesThePageAtTwiceTheDensity()
    {
        QFETCH(bool, sharpened);
        QFETCH(bool, engine);
        QFETCH(QList<double>, rendered);
        ScriptedWordServer word;
        word.registerAs(WordProgId);
        QList<double> asked;
        if (engine)
            PageSharpening::setRenderer([&](const QString &, double dotsPerInch) {
                asked.append(dotsPerInch);
                return pagePicture({816, 1056}, DoubleDotsPerMeter);
            });
        const QString document = writeDocument(environment->tempFolder(), QStringLiteral("plumix13572468.doc"));
        handOver({816, 1056}, document);
        if (sharpened)
            form->setSharperPicture(pagePicture({816, 1056}, DoubleDotsPerMeter));
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(form.get(), Qt::Key_C, Qt::ControlModifier);
        PageSharpening::setRenderer(nullptr);
        QCOMPARE(asked, rendered);
        QCOMPARE(QGuiApplication::clipboard()->image().size(), engine ? QSize(1632, 2112) : QSize(0, 0));
        QCOMPARE(boxes->reports().size(), engine ? 0 : 1);
        QVERIFY(form->MousePointer() != Window::Hourglass);
    }

    // The bars take the focus first; the style draws no focus mark on them, so a keyboard user
    // could not tell where the arrow keys would act.
    void aFocusedBarIsMarkedAndMovesThePageByKey()
    {
        handOver({812, 1000}, QString());
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        PushButton1()->setFocus(Qt::TabFocusReason);
        const QImage unfocused = VScroll1()->grab().toImage();
        VScroll1()->setFocus(Qt::TabFocusReason);
        QVERIFY(VScroll1()->grab().toImage() != unfocused);

        QTest::keyClick(VScroll1(), Qt::Key_Down);
        QTest::keyClick(VScroll1(), Qt::Key_PageDown);
        QCOMPARE(VScroll1()->value(), 2);
        QCOMPARE(Picture1()->pos(), QPoint(0, -20));
        QTest::keyClick(VScroll1(), Qt::Key_Up);
        QCOMPARE(Picture1()->pos(), QPoint(0, -10));
    }

    void firstShowSetsUpOnceAndLaterActivationsChangeNothing()
    {
        handOver({812, 900}, QString());
        QCOMPARE(state().mZoom, 1.0f);
        QCOMPARE(state().mOriWidth, 812);
        QCOMPARE(state().mOriHeight, 900);
        QVERIFY(!Zoom_Ori()->isVisible());
        QCOMPARE(Zoom_Ori()->picture().size(), QSize(812, 900));
        QCOMPARE(Picture1()->pos(), QPoint(0, 0));

        QTest::mouseClick(PushButton1(), Qt::LeftButton);
        HScroll1()->setValue(7); // as a click on the bar would
        QCOMPARE(Picture1()->x(), -70);
        const QRect page = Picture1()->geometry();
        const int maximum = HScroll1()->maximum();

        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(form.get(), &activate);
        form->hide();
        form->show();
        QCOMPARE(state().mZoom, 1.25f);
        QCOMPARE(Picture1()->geometry(), page);
        QCOMPARE(HScroll1()->value(), 7);
        QCOMPARE(HScroll1()->maximum(), maximum);
        QCOMPARE(boxes->shown.size(), 0);
    }

    // A generation that made no picture still opens the window: the repaint has nothing to paint
    // and says so once, and the window carries on.
    void aHandOverWithoutAPictureReportsTheRepaintOnce()
    {
        form->setPicture(QImage());
        form->show();
        QCOMPARE(boxes->reports().size(), 1);
        QVERIFY(boxes->reports()[0].startsWith(
            QStringLiteral("Invalid picture\r\nin Tinselmark2021/08/31.Form2.RedrawImage at line 112\r\r")));
        QCOMPARE(state().mZoom, 1.0f);
        QTest::mouseClick(PushButton1(), Qt::LeftButton);
        QCOMPARE(boxes->reports().size(), 2);
        QCOMPARE(state().mZoom, 1.25f);
    }

    void backDeletesTheDocumentBeforeTheMainWindowShows()
    {
        const QString document = writeDocument(environment->tempFolder(), QStringLiteral("plumix12345678.doc"));
        mainWindow->watchedFile = document;
        handOver({700, 900}, document);
        QTest::mouseClick(PushButton8(), Qt::LeftButton);
        QCOMPARE(mainWindow->fileExistedWhenShown, QList<bool>{false});
        QVERIFY(mainWindow->isVisible());
        QVERIFY(!form->isVisible());
        QVERIFY(!Program::hasEnded());
        QCOMPARE(boxes->shown.size(), 0);
    }

    void closingDeletesTheDocumentAndEndsTheProgram()
    {
        const QString document = writeDocument(environment->tempFolder(), QStringLiteral("plumix87654321.doc"));
        mainWindow->show();
        handOver({700, 900}, document);
        QVERIFY(form->close());
        QVERIFY(!FileExists(document));
        QVERIFY(Program::hasEnded());
        QVERIFY(!mainWindow->isVisible());
        QCOMPARE(boxes->shown.size(), 0);
    }

    // A second run hands over its document while the window holds the first one, which must not
    // stay behind with the user's details in it.
    void aNewDocumentReplacesTheOneHeldBefore()
    {
        const QString first = writeDocument(environment->tempFolder(), QStringLiteral("plumix11111111.doc"));
        const QString second = writeDocument(environment->tempFolder(), QStringLiteral("plumix22222222.doc"));
        handOver({700, 900}, first);
        handOver({700, 900}, second);
        QVERIFY(!FileExists(first));
        QVERIFY(FileExists(second));
        QCOMPARE(form->wordFile(), second);
        form->setWordFile(second); // the same document again is kept
        QVERIFY(FileExists(second));
    }

    // Without a new set-up the second page would be zoomed from the first page's picture, with
    // the first page's sizes and scroll ranges.
    void theNextHandOverPreviewsTheNewPage()
    {
        handOver({812, 600}, QString());
        QTest::mouseClick(PushButton1(), Qt::LeftButton);
        press(Picture1(), {300, 300});
        moveHeld(Picture1(), {200, 200});
        release(Picture1(), {200, 200});
        QTest::mouseClick(PushButton8(), Qt::LeftButton);

        handOver({500, 1000}, QString());
        QCOMPARE(state().mZoom, 1.0f);
        QCOMPARE(state().mOriWidth, 500);
        QCOMPARE(state().mOriHeight, 1000);
        QCOMPARE(Zoom_Ori()->picture().size(), QSize(500, 1000));
        QCOMPARE(Picture1()->geometry(), QRect(0, 0, 500, 1000));
        QVERIFY(!HScroll1()->isEnabled());
        QCOMPARE(VScroll1()->maximum(), 51); // nearest(50.9)
        QCOMPARE(state().mVStep, 10);

        QTest::mouseClick(PushButton1(), Qt::LeftButton);
        QCOMPARE(Picture1()->size(), QSize(625, 1250));
        QCOMPARE(VScroll1()->maximum(), 76); // nearest(75.9)
        press(Picture1(), {100, 900});
        moveHeld(Picture1(), {100, 500});
        QCOMPARE(Picture1()->pos(), QPoint(0, -400));
        release(Picture1(), {100, 500});
        // 400 / 755 is 53 %, nearest(40.28) = 40: ten units a step.
        QCOMPARE(VScroll1()->value(), 40);
        QCOMPARE(Picture1()->pos(), QPoint(0, -400));
        QCOMPARE(boxes->shown.size(), 0);
    }
};

QTEST_MAIN(Form2Test)
#include "tst_form2.moc"
