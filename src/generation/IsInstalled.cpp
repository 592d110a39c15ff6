#include "generation/IsInstalled.h"

#include "automation/CreateObject.h"
#include "shell/AppInfo.h"
#include "shell/MessageBoxes.h"
#include "shell/Program.h"
#include "shell/RuntimeError.h"

#include <cstdio>

namespace {

// The advice's paragraphs, with a blank line between each two.
const char16_t AdviceHeading[] = u"Error 842001. The LibreOffice Writer document engine could not be started.";
const char16_t *const AdvicePoints[] = {
    u"1. Please make sure the document engine is installed: on Debian, install the packages "
    u"libreoffice-writer-nogui and libreoffice-draw-nogui (sudo apt-get install libreoffice-writer-nogui "
    u"libreoffice-draw-nogui).",
    u"2. To check them, run dpkg -s libreoffice-writer-nogui libreoffice-draw-nogui in a terminal: both "
    u"must show \"Status: install ok installed\".",
    u"3. Please make sure that your cache folder (~/.cache, or the folder XDG_CACHE_HOME names) can be "
    u"written to and the disk is not full: the engine keeps its settings in mistlefold/office there.",
    u"4. If it still cannot be started, run /usr/lib/libreoffice/program/soffice --headless --version in a "
    u"terminal to see what the office itself reports.",
};

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
    QString advice = QString::fromUtf16(AdviceHeading);
    // One line: a cause of several lines is joined into one.
    if (const QString line = cause.simplified(); !line.isEmpty())
        advice += QStringLiteral("\r\n") + line;
    for (const char16_t *point : AdvicePoints)
        advice += QStringLiteral("\r\n\r\n") + QString::fromUtf16(point);
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
