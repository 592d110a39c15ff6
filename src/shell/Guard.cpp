#include "shell/Guard.h"

#include "shell/AppInfo.h"
#include "shell/MessageBoxes.h"
#include "shell/Program.h"
#include "shell/RuntimeError.h"

#include <new>

namespace {

// Turns whatever a statement threw into the description the report shows.
QString describeCurrentException()
{
    try {
        throw;
    } catch (const RuntimeError &error) {
        return error.description();
    } catch (const std::bad_alloc &) {
        return QString::fromUtf16(StandardError::OutOfMemory);
    } catch (const std::exception &error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("Unexpected failure");
    }
}

} // namespace

Guard::Guard(const QString &window, const QString &procedure)
    : mLocation(QStringLiteral("in ") + AppInfo::ReportProjectName + AppInfo::ReportBuildStamp + QLatin1Char('.')
                + window + QLatin1Char('.') + procedure + QLatin1Char(' '))
{
}

bool Guard::run(int line, const std::function<void()> &statement)
{
    // Once the program has ended no handler goes on: the rest of a procedure that the end cut
    // short (closing the window or SIGTERM during a run) neither runs nor reports.
    if (Program::hasEnded())
        return false;
    try {
        statement();
        return true;
    } catch (...) {
        report(line, describeCurrentException());
        return false;
    }
}

bool Guard::test(int line, const std::function<bool()> &condition)
{
    bool result = true;
    if (!run(line, [&] { result = condition(); }) && Program::hasEnded())
        return false; // a block or loop of an ended program is not entered
    return result;
}

void Guard::report(int line, const QString &description) const
{
    if (Program::hasEnded())
        return;
    MessageBoxes::instance().show({QStringLiteral("Application Error"), reportText(description, mLocation, line),
                                   MessageBoxes::Icon::Warning, MessageBoxes::Buttons::Ok});
}

QString Guard::reportText(const QString &description, const QString &location, int line)
{
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") + QString::number(line)
        + QStringLiteral("\r\r") + QStringLiteral("Please email screenshot of this message to ")
        + AppInfo::SupportAddress;
}
