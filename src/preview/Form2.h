#pragma once

#include "shell/FileDialogs.h"
#include "shell/Window.h"

#include <memory>

class PictureBox;
class QAction;
class QGroupBox;
class QPushButton;
class QScrollBar;
class QWheelEvent;
class Viewport;

// The preview window: the picture of the filled invitation in a zoomable, scrollable, draggable
// viewport, "Save Results To Word File" and "< Back". It owns the filled document from the
// hand-over on and deletes it when the user goes back or closes the window; closing it ends the
// program.
//
// Hand-over from the generation: setPicture(page picture), then setWordFile(document), then show().
class Form2 : public Window
{
    Q_OBJECT
public:
    // mainWindow is shown again by "< Back".
    explicit Form2(QWidget *mainWindow);
    ~Form2() override;

    // Gives Picture1 the picture of a newly filled page. The viewport is set up for it (zoom 1.0,
    // sizes and scroll ranges from this picture) when the window is next shown, or at once when
    // it is showing.
    void setPicture(const QImage &picture);

    // A sharper picture of the page shown (the same logical size, more pixels), swapped in
    // without moving anything: the current zoom is repainted from it. Ignored before the
    // viewport is set up for the page.
    void setSharperPicture(const QImage &picture);

    // The invitation's text, its values in the order the page reads, for a screen reader.
    void setPageText(const QStringList &values);

    // The filled document in the temporary folder (its full path), which the window owns. A
    // document it held before is deleted.
    void setWordFile(const QString &path);
    const QString &wordFile() const { return mWordFile; }

    void SetHScrollbarByPercent(QScrollBar &HScrollbar, qint16 percent);
    void SetVScrollbarByPercent(QScrollBar &VScrollbar, qint16 percent);

    // The viewport's state, read-only.
    const Viewport &viewport() const { return *mViewport; }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void KeepOnScreen();
    void Form_Load();
    void Form_Activate();
    void ShowZoomLimits();
    void Form_QueryUnload();
    void Form_Unload();

    // The commands of the four buttons: "Zoom In", "Zoom Out", "Save Results To Word File",
    // "< Back".
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton6_Click();
    void PushButton8_Click();

    // Ctrl+C and "Copy Picture" in the page's context menu: the page on the system clipboard, at
    // twice the screen's density.
    void CopyPicture();
    // Ctrl+P and "Print..." in the page's context menu: the system's Print dialog, then the
    // invitation printed by the document engine on the printer chosen, or its PDF with "Print to
    // file".
    void PrintInvitation();
    // The page's context menu at a point on the screen.
    void showPageMenu(const QPoint &globalPos);

    // The mouse wheel over the page or the frame around it: scrolls, or zooms with Ctrl.
    void Picture2_MouseWheel(const QWheelEvent &event);
    void wheelScroll(QScrollBar &bar, int &remainder, int delta, int step);

    // The controls, named as in the window design; each also carries its name as objectName.
    PictureBox *Picture2 = nullptr;
    PictureBox *Picture1 = nullptr;
    PictureBox *Zoom_Ori = nullptr;
    QScrollBar *HScroll1 = nullptr;
    QScrollBar *VScroll1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QPushButton *PushButton1 = nullptr;
    QPushButton *PushButton2 = nullptr;
    QPushButton *PushButton6 = nullptr;
    QPushButton *PushButton8 = nullptr;
    // The page's commands, in its context menu and on their keys.
    QAction *mCopyAction = nullptr;
    QAction *mPrintAction = nullptr;
    // The Save dialog's settings.
    FileDialogs::SaveSettings CommonDialog1;

    QString mWordFile;
    // The page picture as handed over, at the screen's density.
    QImage mPagePicture;
    QWidget *mMainWindow = nullptr;
    bool mFirstActivate = false;
    bool mClosing = false;
    // The least the viewport frame keeps of each side when the window shrinks to fit its screen.
    static constexpr int MinimumViewport = 120;
    // Wheel turns not yet amounting to a bar value or a zoom step, in the wheel's units (120 a notch).
    static constexpr int WheelNotch = 120;
    int mWheelH = 0;
    int mWheelV = 0;
    int mWheelZoom = 0;
    std::unique_ptr<Viewport> mViewport;
};
