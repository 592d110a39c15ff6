#include "shell/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace {

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
