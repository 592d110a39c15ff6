// A program run by tst_killed: it opens the main window in its own settings folder and either
// types into "City:" and then waits to be killed, prints what "City:" holds at start, or runs
// until it is asked to terminate, leaving a mark when its clean-up runs.
#include "Controls.h"
#include "automation/CreateObject.h"
#include "details/Form1.h"
#include "shell/Program.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QThread>

#include <cstdio>

namespace {
class IdleEngine : public Dispatch
{
public:
    Variant get(const QString &) override { unsupported(); }
    void set(const QString &, const Variant &) override { unsupported(); }
    Variant call(const QString &, const QList<Variant> &, const QList<NamedArgument> &) override { return {}; }
};
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    AutomationServers::registerServer(WordProgId, [] { return Object(std::make_shared<IdleEngine>()); });
    Form1 form;
    if (app.arguments().value(1) == QLatin1String("type")) {
        form.show();
        QLineEdit *city = control<QLineEdit>(form, "Text1_1");
        city->setFocus();
        QTest::keyClick(city, Qt::Key_Y);
        std::printf("typed\n");
        std::fflush(stdout);
        QThread::sleep(600); // killed long before
        return 1;
    }
    if (app.arguments().value(1) == QLatin1String("serve")) {
        const QString mark = app.arguments().value(2);
        Program::endOnTerminationSignals();
        Program::addCleanup([mark] {
            QFile file(mark);
            file.open(QIODevice::WriteOnly);
        });
        form.show();
        std::printf("serving\n");
        std::fflush(stdout);
        const int status = QApplication::exec();
        Program::runCleanups();
        return status;
    }
    std::printf("%s\n", qPrintable(control<QLineEdit>(form, "Text1_1")->text()));
    return 0;
}
