// A program run by tst_killed: it opens the main window in its own settings folder and either
// types into "City:" and then waits to be killed, prints what "City:" holds at start, runs until
// it is asked to terminate, leaving a mark when its clean-up runs, or ("restore") types at the
// end of "City:" and prints what it holds and what messages were shown, at start and later.
#include "Controls.h"
#include "TestDoubles.h"
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
    if (app.arguments().value(1) == QLatin1String("restore")) {
        RecordingMessageBoxes boxes;
        Form1 form;
        const qsizetype atStart = boxes.shown.size();
        form.show();
        QLineEdit *city = control<QLineEdit>(form, "Text1_1");
        city->setFocus();
        QCoreApplication::processEvents();
        city->end(false);
        QTest::keyClicks(city, QStringLiteral(" Heights"));
        std::printf("city %s\nshown at start %d\nshown later %d\nnotices %d\n", qPrintable(city->text()),
                    int(atStart), int(boxes.shown.size() - atStart), int(boxes.notices.size()));
        for (const MessageBoxes::Message &message : std::as_const(boxes.shown))
            std::printf("%s\n", qPrintable(message.text.section(QLatin1Char('\r'), 0, 0)));
        return 0;
    }
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
