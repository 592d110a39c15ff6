#include "shell/MessageBoxes.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace {

// Beside its title a window manager's title bar holds the window's icon and its buttons
// (minimise, maximise, close) with their margins.
constexpr int TitleBarAllowance = 120;

// A box at least as wide as its title needs in the window manager's title bar, which otherwise
// cuts the title of a short message ("Done.") down to ".".
void makeRoomForTitle(QMessageBox &box)
{
    auto *layout = qobject_cast<QGridLayout *>(box.layout());
    if (!layout)
        return;
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    titleFont.setBold(true);
    const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + TitleBarAllowance;
    layout->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), layout->rowCount(), 0, 1,
                    layout->columnCount());
}

class ScreenMessageBoxes : public MessageBoxes
{
public:
    int show(const Message &message) override
    {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(message.title);
        box.setIcon(message.icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon);
        box.setTextFormat(Qt::PlainText);
        box.setText(screenText(message.text));
        if (message.buttons == Buttons::YesNo) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
        } else {
            box.setStandardButtons(QMessageBox::Ok);
        }
        makeRoomForTitle(box);
        const int pressed = box.exec();
        if (message.buttons == Buttons::Ok)
            return Ok;
        return pressed == QMessageBox::Yes ? Yes : No;
    }

    void notify(const Message &message) override
    {
        auto *box = new QMessageBox(QApplication::activeWindow());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setAttribute(Qt::WA_ShowWithoutActivating);
        box->setWindowModality(Qt::NonModal);
        box->setWindowTitle(message.title);
        box->setIcon(message.icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon);
        box->setTextFormat(Qt::PlainText);
        box->setText(screenText(message.text));
        box->setStandardButtons(QMessageBox::Ok);
        box->show();
    }

private:
    // Messages keep CR LF and lone CR line breaks; the label wants plain line feeds.
    static QString screenText(QString text)
    {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        return text;
    }
};

} // namespace

MessageBoxes &MessageBoxes::platformInstance()
{
    static ScreenMessageBoxes screenBoxes;
    return screenBoxes;
}
