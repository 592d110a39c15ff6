// Shows the preview window with a drawn sample page, as the generation hands it over: for
// screenshots and for looking at the window by hand. Arguments: how many zoom steps to take,
// negative for out (for example "-1" for 0.75).
#include "SamplePage.h"
#include "preview/Form2.h"

#include <QApplication>
#include <QPushButton>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget mainWindow; // stands in for the main window that "< Back" returns to
    Form2 preview(&mainWindow);
    preview.setPicture(samplePage());
    preview.show();
    const int steps = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 0;
    auto *button = preview.findChild<QPushButton *>(steps > 0 ? "PushButton1" : "PushButton2"); // "Zoom In", "Zoom Out"
    for (int step = 0; step < qAbs(steps) && button; ++step)
        button->click();
    return app.exec();
}
