// Shows the preview window with a drawn sample page, as the generation hands it over: for
// screenshots and for looking at the window by hand. Arguments: how many zoom steps to take,
// negative for out (for example "-1" for 0.75).
#include "SamplePage.h"
#include "preview/Form2.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget mainWindow; // stands in for the main window that "< Back" returns to
    Form2 preview(&mainWindow);
    preview.setPicture(samplePage());
    preview.show();
    const int steps = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 0;
    for (int step = 0; step < qAbs(steps); ++step)
        steps > 0 ? preview.PushButton1_Click() : preview.PushButton2_Click();
    return app.exec();
}
