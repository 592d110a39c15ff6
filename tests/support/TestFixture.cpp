#include "TestFixture.h"

#include "shell/AppInfo.h"
#include "shell/Program.h"

#include <QDir>

const QDateTime TestFixture::Now(QDate(2026, 12, 8), QTime(19, 30, 12));

QString TestFixture::programFolder() const
{
    return environment->root() + QStringLiteral("/program");
}

void TestFixture::init()
{
    environment = std::make_unique<TestEnvironment>();
    QDir().mkpath(programFolder());
    AppInfo::setProgramFolder(programFolder());
    boxes = std::make_unique<RecordingMessageBoxes>();
    dialogs = std::make_unique<ScriptedFileDialogs>();
    clock = std::make_unique<FixedClock>(Now);
    random = std::make_unique<ScriptedRandom>(QList<double>{0.5});
    browser = std::make_unique<RecordingBrowser>();
    Program::resetEnded();
}

void TestFixture::cleanup()
{
    browser.reset();
    random.reset();
    clock.reset();
    dialogs.reset();
    boxes.reset();
    AppInfo::setProgramFolder(QString());
    environment.reset();
}
