#include "shell/Guard.h"

#include "shell/AppInfo.h"
#include "shell/MessageBoxes.h"
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
    : mLocation(QStringLiteral("in ") + AppInfo::ReportProjectName + AppInfo::ReportBuildStamp
                + QLatin1Char('.') + window + QLatin1Char('.') + procedure + QLatin1Char(' '))
{
}

bool Guard::run(int line, const std::function<void()> &statement)
{
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
    run(line, [&] { result = condition(); });
    return result;
}

void Guard::report(int line, const QString &description) const
{
    MessageBoxes::instance().show({QStringLiteral("Application Error"),
                                   reportText(description, mLocation, line),
                                   MessageBoxes::Icon::Warning, MessageBoxes::Buttons::Ok});
}

QString Guard::reportText(const QString &description, const QString &location, int line)
{
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ")
           + QString::number(line) + QStringLiteral("\r\r")
           + QStringLiteral("Please email screenshot of this message to ") + AppInfo::SupportAddress;
}
