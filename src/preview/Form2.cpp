#include "preview/Form2.h"

#include "generation/ExportPdf.h"
#include "generation/PageSharpening.h"
#include "generation/PrintDocument.h"
#include "generation/RenderPage.h"
#include "preview/FileCopy.h"
#include "preview/PictureBox.h"
#include "preview/SaveFolder.h"
#include "preview/ScrollBar.h"
#include "preview/StretchedPicture.h"
#include "preview/Viewport.h"
#include "shell/AppInfo.h"
#include "shell/BackColors.h"
#include "shell/CursorFile.h"
#include "shell/FileUtils.h"
#include "shell/Guard.h"
#include "shell/MessageBoxes.h"
#include "shell/PageDensity.h"
#include "shell/PrintDialogs.h"
#include "shell/Program.h"
#include "shell/RuntimeError.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

// The numbers given to the guard are the procedures' line numbers: every line of a procedure
// counts, from 100 in steps of 2, also the Else and End If lines that perform nothing.

namespace {

const QString Window2 = QStringLiteral("Form2");

// The Save dialog's three entries: display text and pattern.
const QString WordFilter = QStringLiteral("Word Files (*.doc)|*.doc");
const QString PdfFilter = QStringLiteral("PDF Files (*.pdf)|*.pdf");
const QString PngFilter = QStringLiteral("PNG Image (*.png)|*.png");

enum class SaveFormat { Word, Pdf, Png };

bool isEntry(const QString &filter, const QString &entry)
{
    return filter == FileDialogs::filterNames(entry).constFirst();
}

// A name typed ending in ".pdf" or ".png" is that format whatever the entry; otherwise the entry
// chosen in the Save dialog tells.
SaveFormat chosenFormat(const QString &path, const QString &filter)
{
    if (path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        return SaveFormat::Png;
    if (path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return SaveFormat::Pdf;
    if (isEntry(filter, PngFilter))
        return SaveFormat::Png;
    return isEntry(filter, PdfFilter) ? SaveFormat::Pdf : SaveFormat::Word;
}

// With the PDF or the PNG entry chosen, a name typed without an extension gets ".pdf" or ".png", as
// other programs expect of such a file; under the Word entry a name is used exactly as typed.
QString withChosenExtension(const QString &path, const QString &filter)
{
    if (path.isEmpty() || QFileInfo(path).fileName().contains(QLatin1Char('.')))
        return path;
    switch (chosenFormat(path, filter)) {
    case SaveFormat::Pdf: return path + QStringLiteral(".pdf");
    case SaveFormat::Png: return path + QStringLiteral(".png");
    case SaveFormat::Word: break;
    }
    return path;
}

// The hourglass over the window while the engine works (about half a second); the pointer it had
// comes back however the work ends.
class HourglassWhileBusy
{
public:
    explicit HourglassWhileBusy(Window &window) : mWindow(window), mBefore(window.MousePointer())
    {
        mWindow.setMousePointer(Window::Hourglass);
    }
    ~HourglassWhileBusy() { mWindow.setMousePointer(mBefore); }
    HourglassWhileBusy(const HourglassWhileBusy &) = delete;
    HourglassWhileBusy &operator=(const HourglassWhileBusy &) = delete;

private:
    Window &mWindow;
    int mBefore;
};

// A scroll bar as designed: minimum 0, small and large change 1. It reports a new value once
// its thumb is released, not while the thumb is dragged.
QScrollBar *designScrollBar(Qt::Orientation orientation, const QString &name, QRect rect, QWidget *parent)
{
    auto *bar = new ScrollBar(orientation, parent);
    bar->setObjectName(name);
    bar->setGeometry(rect);
    bar->setRange(0, 32767);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setTracking(false);
    bar->setFocusPolicy(Qt::StrongFocus);
    bar->setAttribute(Qt::WA_NoMousePropagation);
    return bar;
}

} // namespace

Form2::Form2(QWidget *mainWindow) : mMainWindow(mainWindow)
{
    createControls();
    Form_Load();
}

// However the program ends, the filled document it still owns does not outlive it.
Form2::~Form2()
{
    DeleteFileQuietly(mWordFile);
}

void Form2::createControls()
{
    setDesign(9840, 9390);

    Picture2 = new PictureBox(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setGeometry(twips(120, 120, 9330, 7425));
    Picture2->setBorder(PictureBox::Border::Sunken);

    Picture1 = new PictureBox(Picture2);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(twips(0, 0, 2340, 3435));
    Picture1->setBorder(PictureBox::Border::Line);

    // The holding box lies right of the client area.
    Zoom_Ori = new PictureBox(this);
    Zoom_Ori->setObjectName(QStringLiteral("Zoom_Ori"));
    Zoom_Ori->setGeometry(twips(10320, 480, 735, 375));

    HScroll1 = designScrollBar(Qt::Horizontal, QStringLiteral("HScroll1"), twips(120, 7545, 9330, 255), this);
    VScroll1 = designScrollBar(Qt::Vertical, QStringLiteral("VScroll1"), twips(9450, 120, 255, 7425), this);

    Frame1 = new QGroupBox(QStringLiteral("Zoom:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twips(120, 7860, 9600, 855));
    setBackColor(Frame1, Qt::white);

    // Each caption underlines the letter that presses it with Alt.
    PushButton1 = createPushButton(Frame1, QStringLiteral("PushButton1"), QStringLiteral("Zoom &In"),
                                   twips(240, 300, 4440, 405));
    PushButton2 = createPushButton(Frame1, QStringLiteral("PushButton2"), QStringLiteral("Zoom &Out"),
                                   twips(4800, 300, 4560, 405));
    PushButton8 = createPushButton(this, QStringLiteral("PushButton8"), QStringLiteral("< &Back"),
                                   twips(120, 8850, 4680, 405));
    PushButton6 = createPushButton(this, QStringLiteral("PushButton6"), QStringLiteral("&Save Results To Word File"),
                                   twips(4920, 8850, 4800, 405));
    watchBackgroundHover(this);
    watchBackgroundHover(Frame1);
    // The wheel over the page or the frame around it.
    Picture1->installEventFilter(this);
    Picture2->installEventFilter(this);

    // What a screen reader says for the window, told apart from the main window by more than its
    // title, and for the controls whose captions do not say it. The page's description is the
    // invitation's text (setPageText).
    setAccessibleName(QStringLiteral("Invitation preview"));
    setAccessibleDescription(QStringLiteral("The filled invitation, to zoom, move around and save"));
    Picture2->setAccessibleName(QStringLiteral("Page view"));
    Picture1->setAccessibleName(QStringLiteral("Invitation page"));
    Zoom_Ori->setAccessibleName(QStringLiteral("Page at its own size"));
    HScroll1->setAccessibleName(QStringLiteral("Scroll the page left or right"));
    VScroll1->setAccessibleName(QStringLiteral("Scroll the page up or down"));
    Frame1->setAccessibleName(QStringLiteral("Zoom"));
    PushButton8->setAccessibleName(QStringLiteral("Back"));
    PushButton6->setAccessibleDescription(
        QStringLiteral("Saves the invitation as a Word document, a PDF or a picture"));
    // The keys a desktop user reaches for first, pressing the buttons (a disabled one does nothing).
    addShortcut({Qt::Key_Escape}, PushButton8);
    addShortcut({Qt::CTRL | Qt::Key_S}, PushButton6);
    addShortcut({Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal}, PushButton1);
    addShortcut({Qt::CTRL | Qt::Key_Minus}, PushButton2);
    mCopyAction = new QAction(QStringLiteral("&Copy Picture"), this);
    mCopyAction->setShortcut(QKeySequence::Copy);
    addAction(mCopyAction);
    connect(mCopyAction, &QAction::triggered, this, &Form2::CopyPicture);
    mPrintAction = new QAction(QStringLiteral("&Print..."), this);
    mPrintAction->setShortcut(QKeySequence::Print);
    addAction(mPrintAction);
    connect(mPrintAction, &QAction::triggered, this, &Form2::PrintInvitation);

    // Focus order as designed; the picture boxes and the frame take no focus of their own.
    setFocusOrder(
        {HScroll1, VScroll1, Picture2, Picture1, Frame1, Zoom_Ori, PushButton1, PushButton2, PushButton6, PushButton8});

    KeepOnScreen();

    mViewport = std::make_unique<Viewport>(
        Viewport::Controls{*this, *Picture2, *Picture1, *Zoom_Ori, *HScroll1, *VScroll1});

    connect(PushButton1, &QPushButton::clicked, this, &Form2::PushButton1_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form2::PushButton2_Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form2::PushButton6_Click);
    connect(PushButton8, &QPushButton::clicked, this, &Form2::PushButton8_Click);
}

// A design larger than the screen (at a scale factor of 2 it is 1312 x 1252 pixels) gives up room
// where it can scroll: the viewport frame shrinks, its bars follow its edges, the controls below
// move up and the bottom row narrows by the width given up. The window stays at the screen's
// top-left corner, where setDesign put it.
void Form2::KeepOnScreen()
{
    const QSize excess = excessOverScreen();
    if (excess == QSize(0, 0))
        return;
    // The frame keeps enough to show a piece of the page.
    const int dx = qMin(excess.width(), Picture2->width() - MinimumViewport);
    const int dy = qMin(excess.height(), Picture2->height() - MinimumViewport);
    const int leftHalf = dx / 2;
    Picture2->resize(Picture2->width() - dx, Picture2->height() - dy);
    HScroll1->setGeometry(HScroll1->geometry().adjusted(0, -dy, -dx, -dy));
    VScroll1->setGeometry(VScroll1->geometry().adjusted(-dx, 0, -dx, -dy));
    Frame1->setGeometry(Frame1->geometry().adjusted(0, -dy, -dx, -dy));
    PushButton1->setGeometry(PushButton1->geometry().adjusted(0, 0, -leftHalf, 0));
    PushButton2->setGeometry(PushButton2->geometry().adjusted(-leftHalf, 0, -dx, 0));
    PushButton8->setGeometry(PushButton8->geometry().adjusted(0, -dy, -leftHalf, -dy));
    PushButton6->setGeometry(PushButton6->geometry().adjusted(-leftHalf, -dy, -dx, -dy));
    setFixedSize(width() - dx, height() - dy);
}

void Form2::Form_Load()
{
    Guard guard(Window2, QStringLiteral("Form_Load"));
    guard.run(100, [&] { mFirstActivate = true; });
    guard.run(102, [&] { NormalizeBackColors(this); });
    guard.run(104, [&] { setWindowTitle(AppInfo::ProductName); });
    guard.run(106, [&] { setWindowIcon(Program::appIcon()); });
    const QString cursorFile = AppInfo::cursorFile();
    if (guard.test(108, [&] { return FileExists(cursorFile); }))
        guard.run(110, [&] { setMouseIcon(loadCursorFile(cursorFile)); });
}

void Form2::setPicture(const QImage &picture)
{
    mPagePicture = picture;
    Picture1->setPicture(picture);
    // A new page gets a viewport of its own: the set-up runs again for it.
    mFirstActivate = true;
    if (isVisible())
        Form_Activate();
}

void Form2::setPageText(const QStringList &values)
{
    QStringList shown = values;
    shown.removeAll(QString());
    Picture1->setAccessibleDescription(shown.join(QStringLiteral(", ")));
}

void Form2::setSharperPicture(const QImage &picture)
{
    if (!mFirstActivate)
        mViewport->SharpenPicture(picture);
}

// A window's first activation is its first show: window managers may refuse to activate a newly
// shown window, so the set-up never waits for an activation.
void Form2::showEvent(QShowEvent *event)
{
    Window::showEvent(event);
    if (!event->spontaneous())
        Form_Activate();
}

bool Form2::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return Window::event(event);
}

void Form2::Form_Activate()
{
    Guard guard(Window2, QStringLiteral("Form_Activate"));
    if (guard.test(100, [&] { return mFirstActivate; }))
        mViewport->SetUp(guard); // lines 102 to 130
    guard.run(134, [&] { mFirstActivate = false; });
    ShowZoomLimits();
}

// A zoom button that would change nothing is disabled: Zoom In at the largest zoom, Zoom Out at
// the smallest.
void Form2::ShowZoomLimits()
{
    const bool zoomIn = mViewport->canZoomIn();
    const bool zoomOut = mViewport->canZoomOut();
    // The focus of a button reaching its limit goes to the window rather than to the other
    // button, which the next press of Space would then press; Tab goes on from there.
    if ((!zoomIn && PushButton1->hasFocus()) || (!zoomOut && PushButton2->hasFocus()))
        setFocus();
    PushButton1->setEnabled(zoomIn);
    PushButton2->setEnabled(zoomOut);
}

void Form2::setWordFile(const QString &path)
{
    if (path != mWordFile)
        DeleteFileQuietly(mWordFile);
    mWordFile = path;
}

void Form2::SetHScrollbarByPercent(QScrollBar &HScrollbar, qint16 percent)
{
    mViewport->SetHScrollbarByPercent(HScrollbar, percent);
}

void Form2::SetVScrollbarByPercent(QScrollBar &VScrollbar, qint16 percent)
{
    mViewport->SetVScrollbarByPercent(VScrollbar, percent);
}

void Form2::PushButton1_Click()
{
    Guard(Window2, QStringLiteral("PushButton1_Click")).run(100, [&] { mViewport->ZoomStep(0); });
    ShowZoomLimits();
}

void Form2::PushButton2_Click()
{
    Guard(Window2, QStringLiteral("PushButton2_Click")).run(100, [&] { mViewport->ZoomStep(1); });
    ShowZoomLimits();
}

void Form2::PushButton6_Click()
{
    Guard guard(Window2, QStringLiteral("PushButton6_Click"));
    QString chosen;
    QString chosenFilter;
    int answer = 0;
    bool saved = true;
    guard.run(100, [&] { CommonDialog1.fileName = QString(); });
    guard.run(102, [&] { CommonDialog1.title = QStringLiteral("Save File"); });
    guard.run(104,
              [&] { CommonDialog1.filter = WordFilter + QLatin1Char('|') + PdfFilter + QLatin1Char('|') + PngFilter; });
    guard.run(106, [&] {
        CommonDialog1.folder = SaveFolder::initial();
        const FileDialogs::SaveChoice choice = FileDialogs::instance().getSaveFileName(CommonDialog1);
        CommonDialog1.fileName = choice.fileName;
        chosenFilter = choice.filter;
    });
    guard.run(108, [&] { chosen = withChosenExtension(CommonDialog1.fileName, chosenFilter); });
    if (guard.test(110, [&] { return !chosen.isEmpty(); })) {
        if (guard.test(112, [&] { return FileExists(chosen); })) {
            guard.run(114, [&] {
                answer = MessageBoxes::instance().show(
                    {AppInfo::appTitle(),
                     QStringLiteral("Are you sure you wish to overwrite ") + chosen + QStringLiteral(" ?"),
                     MessageBoxes::Icon::None, MessageBoxes::Buttons::YesNo});
            });
            // No statement deletes the existing file here (line 116 stays unused): the copy at line
            // 126 replaces it only once the new copy is complete, so a failed copy keeps it.
        } else {
            guard.run(120, [&] { answer = MessageBoxes::Yes; });
        }
    }
    // The save itself is one statement: a PDF or a PNG picture of the page made by the document
    // engine when that entry was chosen or the name ends so, otherwise a byte-for-byte copy of the
    // filled document. Each replaces the destination only once complete. The next Save dialog
    // opens where this one saved.
    if (answer == MessageBoxes::Yes)
        saved = guard.run(126, [&] {
            const SaveFormat format = chosenFormat(chosen, chosenFilter);
            if (format == SaveFormat::Word) {
                CopyFileReplacing(mWordFile, chosen);
            } else {
                const HourglassWhileBusy busy(*this);
                if (format == SaveFormat::Pdf)
                    ExportPdf(mWordFile, chosen);
                else
                    ExportPng(mWordFile, chosen);
            }
            SaveFolder::remember(chosen);
        });
    // A failed save has shown its report; "Done." would tell the user the opposite.
    if (saved)
        guard.run(128, [&] { MessageBoxes::instance().show({AppInfo::appTitle(), QStringLiteral("Done.")}); });
}

// The picture to paste is the page at twice the screen's density: the holding box has it once
// the page was sharpened; otherwise the engine renders it again from the filled document.
void Form2::CopyPicture()
{
    Guard guard(Window2, QStringLiteral("CopyPicture"));
    QImage page;
    guard.run(100, [&] {
        // A sharpened page is denser than the one handed over.
        const QImage held = Zoom_Ori->picture();
        if (held.dotsPerMeterX() > mPagePicture.dotsPerMeterX()) {
            page = held;
        } else {
            const HourglassWhileBusy busy(*this);
            page = RenderPage(mWordFile, PageSharpening::sharperDotsPerInch(mPagePicture));
        }
    });
    if (!page.isNull())
        guard.run(102, [&] { QGuiApplication::clipboard()->setImage(page); });
}

// The page is printed at the template's page size, which the page picture covers at the screen's
// page density.
void Form2::PrintInvitation()
{
    Guard guard(Window2, QStringLiteral("PrintInvitation"));
    PrintDialogs::PrintChoice choice;
    guard.run(100, [&] { choice = PrintDialogs::instance().choosePrinter(); });
    if (!choice.accepted)
        return;
    guard.run(102, [&] {
        const HourglassWhileBusy busy(*this);
        if (!choice.outputFile.isEmpty())
            ExportPdf(mWordFile, choice.outputFile);
        else
            PrintDocument(mWordFile, choice.printerName, choice.copies,
                          StretchedPicture::logicalSize(mPagePicture) * (TwipsPerInch / ScreenDotsPerInch));
    });
}

void Form2::showPageMenu(const QPoint &globalPos)
{
    QMenu menu(this);
    menu.addAction(mCopyAction);
    menu.addAction(mPrintAction);
    menu.exec(globalPos);
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu && (watched == Picture1 || watched == Picture2)) {
        showPageMenu(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    if (event->type() == QEvent::Wheel && (watched == Picture1 || watched == Picture2)) {
        Picture2_MouseWheel(*static_cast<QWheelEvent *>(event));
        return true;
    }
    return Window::eventFilter(watched, event);
}

// The wheel over the page: up and down, or sideways with Shift (or a sideways wheel), through the
// scroll bars, so that their values and the page stay in step; with Ctrl one zoom step per notch
// through the zoom buttons' handlers, within their limits. A notch is 120 units; touchpads send
// parts of one, which add up.
void Form2::Picture2_MouseWheel(const QWheelEvent &event)
{
    const QPoint delta = event.angleDelta();
    if (event.modifiers() & Qt::ControlModifier) {
        mWheelZoom += delta.y() != 0 ? delta.y() : delta.x();
        for (; mWheelZoom >= WheelNotch; mWheelZoom -= WheelNotch)
            PushButton1_Click();
        for (; mWheelZoom <= -WheelNotch; mWheelZoom += WheelNotch)
            PushButton2_Click();
        return;
    }
    const bool sideways = (event.modifiers() & Qt::ShiftModifier) && delta.x() == 0;
    wheelScroll(*HScroll1, mWheelH, sideways ? delta.y() : delta.x(), mViewport->state().mHStep);
    wheelScroll(*VScroll1, mWheelV, sideways ? 0 : delta.y(), mViewport->state().mVStep);
}

void Form2::wheelScroll(QScrollBar &bar, int &remainder, int delta, int step)
{
    if (delta == 0 || !bar.isEnabled())
        return;
    // A notch moves the page by the desktop's wheel lines of 20 units, in whole bar values.
    const int valuesPerNotch = qMax(1, qRound(QApplication::wheelScrollLines() * 20.0 / qMax(1, step)));
    remainder -= delta * valuesPerNotch; // rolled away from the user, the view goes up the page
    const int values = remainder / WheelNotch;
    remainder -= values * WheelNotch;
    bar.setValue(bar.value() + values);
}

void Form2::PushButton8_Click()
{
    Guard guard(Window2, QStringLiteral("PushButton8_Click"));
    guard.run(100, [&] { DeleteFileQuietly(mWordFile); });
    guard.run(102, [&] {
        if (!mMainWindow)
            ::raise(StandardError::ObjectNotSet);
        mMainWindow->show();
    });
    guard.run(104, [&] { hide(); });
}

void Form2::closeEvent(QCloseEvent *event)
{
    event->accept();
    // A close request that arrives while the first one yields to the event loop changes nothing.
    if (mClosing)
        return;
    mClosing = true;
    Form_QueryUnload();
    Form_Unload();
}

void Form2::Form_QueryUnload()
{
    Guard guard(Window2, QStringLiteral("Form_QueryUnload"));
    guard.run(100, [&] { DeleteFileQuietly(mWordFile); });
    guard.run(102, [&] { QCoreApplication::processEvents(); });
    guard.run(104, [&] { QCoreApplication::processEvents(); });
}

void Form2::Form_Unload()
{
    Program::EndProgram();
}
