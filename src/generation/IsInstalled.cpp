#include "generation/IsInstalled.h"

#include "automation/CreateObject.h"
#include "shell/AppInfo.h"
#include "shell/MessageBoxes.h"
#include "shell/Program.h"
#include "shell/RuntimeError.h"

#include <cstdio>

namespace {

// Shows the advice, alone, and writes it to standard error for a start from a terminal.
void ShowEngineAdvice(const QString &cause)
{
    const QString advice = EngineAdvice(cause);
    const QString lines = QString(advice).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    std::fprintf(stderr, "%s\n", lines.toLocal8Bit().constData());
    std::fflush(stderr);
    MessageBoxes::instance().show({AppInfo::appTitle(), advice, MessageBoxes::Icon::None, MessageBoxes::Buttons::Ok});
}

} // namespace

QString EngineAdvice(const QString &cause)
{
    // The engine says what it is and what to do about it; the message numbers its points.
    const AutomationServers::Description engine = AutomationServers::serverDescription(WordProgId);
    QString advice = QStringLiteral("Error 842001. The %1 could not be started.")
                         .arg(engine.name.isEmpty() ? QStringLiteral("document engine") : engine.name);
    // One line: a cause of several lines is joined into one.
    if (const QString line = cause.simplified(); !line.isEmpty())
        advice += QStringLiteral("\r\n") + line;
    // The paragraphs, with a blank line between each two.
    for (qsizetype point = 0; point < engine.advice.size(); ++point)
        advice += QStringLiteral("\r\n\r\n%1. ").arg(point + 1) + engine.advice.at(point);
    return advice;
}

bool CheckWordInstalled()
{
    QString cause;
    try {
        cause = AutomationServers::startServer(WordProgId, [](const QString &cause) {
            if (Program::hasEnded())
                return;
            ShowEngineAdvice(cause);
            Program::EndProgram();
        });
    } catch (...) {
        cause = QString::fromUtf16(StandardError::CantCreateObject);
    }
    if (cause.isEmpty())
        return true;
    ShowEngineAdvice(cause);
    return false;
}
