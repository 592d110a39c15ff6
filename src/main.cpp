#include "details/Form1.h"
#include "generation/PageSharpening.h"
#include "generation/TempFolder.h"
#include "office/OfficeEngine.h"
#include "shell/Display.h"
#include "shell/Program.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    const std::unique_ptr<QApplication> application = openDisplay(argc, argv); // or one line and status 1
    QApplication::setWindowIcon(Program::appIcon());
    registerOfficeEngine();
    PageSharpening::setRenderer(&renderFirstPage);
    Program::endOnTerminationSignals();
    TempFolder::sweepLeftovers(); // work files that killed copies of the program left behind

    int status = 0;
    {
        Form1 form; // loading the main window is the whole start-up sequence
        if (!Program::hasEnded()) {
            form.show();
            status = QApplication::exec();
        }
    }
    Program::runCleanups();
    return status;
}
