// A stand-in for the program in tests of the office's lifetime: starts the engine, says which
// office it started, then either ends normally ("end") or waits to be killed ("wait").
#include "automation/CreateObject.h"
#include "office/OfficeEngine.h"
#include "office/OfficeModule.h"
#include "shell/Program.h"
#include "shell/RuntimeError.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QTextStream out(stdout);
    registerOfficeEngine();
    try {
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        out << "office " << officeModule().processId() << Qt::endl;
    } catch (const RuntimeError &error) {
        out << "failed " << error.description() << Qt::endl;
        return 1;
    }
    if (application.arguments().value(1) == QLatin1String("end")) {
        Program::runCleanups();
        return 0;
    }
    return application.exec();
}
