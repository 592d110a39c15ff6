// A stand-in for the program in tests of the office's lifetime: starts the engine, says which
// office it started, then either ends normally ("end") or waits to be killed ("wait"). With
// "picture DOCUMENT" it copies the document's first page as a picture and says its size and
// resolution ("picture 816x1056 3780"), then ends normally.
#include "automation/CreateObject.h"
#include "office/OfficeEngine.h"
#include "office/OfficeModule.h"
#include "shell/Program.h"
#include "shell/RuntimeError.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QTextStream out(stdout);
    registerOfficeEngine();
    try {
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        out << "office " << officeModule().processId() << Qt::endl;
        if (application.arguments().value(1) == QLatin1String("picture")) {
            const Object document = word.object(QStringLiteral("Documents"))
                                        .call(QStringLiteral("Open"), {application.arguments().value(2)})
                                        .toObject();
            document.call(QStringLiteral("Range")).toObject().call(QStringLiteral("CopyAsPicture"));
            word.call(QStringLiteral("Quit"));
            const QImage picture = QGuiApplication::clipboard()->image();
            out << "picture " << picture.width() << 'x' << picture.height() << ' ' << picture.dotsPerMeterX() << Qt::endl;
            Program::runCleanups();
            return 0;
        }
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
