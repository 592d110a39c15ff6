#include "shell/Display.h"

#include "shell/AppInfo.h"

#include <QApplication>
#include <QList>

#include <unistd.h>
#include <utility>

namespace {

struct HeldMessage
{
    QtMsgType type;
    const char *file;
    int line;
    const char *function;
    const char *category;
    QString text;
};

QList<HeldMessage> held;

QByteArray noDisplayLine()
{
    const QByteArray display = qgetenv("DISPLAY");
    const QByteArray cause = display.isEmpty() ? QByteArray("DISPLAY is not set")
                                               : "the display \"" + display + "\" cannot be reached";
    return AppInfo::ProductName.toUtf8() + " cannot start without a display (" + cause
        + "): run it in a graphical desktop session, or set DISPLAY to a running X server.\n";
}

void passHeldOn()
{
    qInstallMessageHandler(nullptr);
    const QList<HeldMessage> messages = std::exchange(held, {});
    for (const HeldMessage &message : messages) {
        const QMessageLogContext context(message.file, message.line, message.function, message.category);
        qt_message_output(message.type, context, message.text);
    }
}

// The platform plugin's failure is fatal to Qt, which would abort; Qt's warnings leading up to
// it would add lines that only repeat the cause.
void holdWhileOpening(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg && text.contains(QLatin1String("platform plugin"))) {
        const QByteArray line = noDisplayLine();
        [[maybe_unused]] const auto written = ::write(STDERR_FILENO, line.constData(), size_t(line.size()));
        ::_exit(1);
    }
    held.append({type, context.file, context.line, context.function, context.category, text});
    if (type == QtFatalMsg)
        passHeldOn(); // ends with Qt's own handling of the fatal message
}

} // namespace

std::unique_ptr<QApplication> openDisplay(int &argc, char **argv)
{
    qInstallMessageHandler(holdWhileOpening);
    auto application = std::make_unique<QApplication>(argc, argv);
    passHeldOn();
    return application;
}
