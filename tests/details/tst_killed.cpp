// The program as a process: typing one character and then killing the program loses nothing (the
// next start shows it); a request to terminate ends it through its clean-up; settings that cannot
// be written still restore, with one report; without a display it says so and ends with status 1.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

class KilledTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typedCharacterSurvivesKill();
    void terminationSignalRunsTheCleanUp();
    void settingsThatCannotBeWrittenStillRestoreWithOneReport_data();
    void settingsThatCannotBeWrittenStillRestoreWithOneReport();
    void withoutADisplayItSaysSoAndEndsWithStatusOne_data();
    void withoutADisplayItSaysSoAndEndsWithStatusOne();

private:
    static QByteArray waitForLine(QProcess &process, const QByteArray &line);
    // Starts the child program (or another program that runs it) in its own settings folder under
    // home.
    static void startChild(QProcess &child, const QTemporaryDir &home, const QStringList &arguments,
                           const QString &program = QString());
};

void KilledTest::startChild(QProcess &child, const QTemporaryDir &home, const QStringList &arguments,
                            const QString &program)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", home.path() + "/config");
    environment.insert("XDG_RUNTIME_DIR", home.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(environment);
    child.start(program.isEmpty() ? QCoreApplication::applicationDirPath() + "/typing_child" : program, arguments);
}

QByteArray KilledTest::waitForLine(QProcess &process, const QByteArray &line)
{
    QByteArray output;
    QElapsedTimer waited;
    waited.start();
    while (!output.contains(line) && waited.elapsed() < 20000) {
        process.waitForReadyRead(100);
        output += process.readAllStandardOutput();
    }
    return output;
}

void KilledTest::typedCharacterSurvivesKill()
{
    QTemporaryDir home;
    QProcess typing;
    startChild(typing, home, {"type"});
    QVERIFY(typing.waitForStarted());
    QVERIFY(waitForLine(typing, "typed").contains("typed"));
    typing.kill(); // SIGKILL: no clean-up runs
    QVERIFY(typing.waitForFinished());
    QCOMPARE(typing.exitStatus(), QProcess::CrashExit);

    QProcess restarted;
    startChild(restarted, home, {"print"});
    QVERIFY(restarted.waitForFinished(20000));
    QCOMPARE(restarted.readAllStandardOutput().trimmed(), QByteArray("y"));
}

void KilledTest::terminationSignalRunsTheCleanUp()
{
    QTemporaryDir home;
    const QString mark = home.path() + "/cleaned";
    QProcess serving;
    startChild(serving, home, {"serve", mark});
    QVERIFY(waitForLine(serving, "serving").contains("serving"));
    serving.terminate(); // SIGTERM
    QVERIFY(serving.waitForFinished(20000));
    QCOMPARE(serving.exitStatus(), QProcess::NormalExit);
    QCOMPARE(serving.exitCode(), 0);
    QVERIFY(QFile::exists(mark));
}

void KilledTest::settingsThatCannotBeWrittenStillRestoreWithOneReport_data()
{
    QTest::addColumn<bool>("folder"); // the settings folder rather than the file cannot be written
    QTest::newRow("file read-only") << false;
    QTest::newRow("folder read-only") << true;
}

// The stored values are restored all the same, and the problem is said once: not six reports at
// start and then one modal report per keystroke, each taking the next key typed.
void KilledTest::settingsThatCannotBeWrittenStillRestoreWithOneReport()
{
    QFETCH(bool, folder);
    QTemporaryDir home;
    const QString config = home.path() + "/config";
    const QString file = config + "/Quenbrook.ini";
    const QByteArray stored = "[Mistlefold]\nText1_0=Ilse and Bram Ketterly\nText1_1=North Vellmont\n"
                              "Text1_2=417 Larkspur Avenue\nText1_3=WA\nDateTimePicker1=2026-12-24\n"
                              "DateTimePicker2=19:30:00\n";
    QVERIFY(QDir().mkpath(config));
    {
        QFile made(file);
        QVERIFY(made.open(QIODevice::WriteOnly));
        made.write(stored);
    }
    QFile::setPermissions(folder ? config : file, folder ? QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                                         : QFileDevice::ReadOwner);
    QProcess restoring;
    if (::geteuid() == 0) {
        // Root writes whatever the permissions say, unless it gives up the capabilities that let
        // it, which needs no other privilege than root's own.
        const QStringList unprivileged{"--inh-caps=-dac_override,-dac_read_search",
                                       "--bounding-set=-dac_override,-dac_read_search"};
        QProcess probe;
        probe.start("setpriv", unprivileged + QStringList{"true"});
        if (!probe.waitForFinished(20000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
            QSKIP(qPrintable("Root cannot give up writing through permissions here: "
                             + QString::fromLocal8Bit(probe.readAllStandardError()) + probe.errorString()));
        startChild(restoring, home, unprivileged + QStringList{QCoreApplication::applicationDirPath() + "/typing_child", "restore"},
                   "setpriv");
    } else {
        startChild(restoring, home, {"restore"});
    }
    QVERIFY(restoring.waitForFinished(20000));
    const QStringList lines = QString::fromUtf8(restoring.readAllStandardOutput()).split('\n');
    QCOMPARE(lines.mid(0, 4), (QStringList{"city North Vellmont Heights", "shown at start 1", "shown later 0", "notices 0"}));
    // Found before anything was written, and said with its cause.
    QVERIFY2(lines.value(4).contains(QRegularExpression("cannot be written \\(.+\\)")), qPrintable(lines.value(4)));
    QFile left(file);
    QVERIFY(left.open(QIODevice::ReadOnly));
    QCOMPARE(left.readAll(), stored);
    QFile::setPermissions(config, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void KilledTest::withoutADisplayItSaysSoAndEndsWithStatusOne_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("cause");
    QTest::newRow("no display named") << QString() << "DISPLAY is not set";
    QTest::newRow("display not running") << ":97" << "the display \":97\" cannot be reached";
}

// Qt aborted: exit status 134 and a core file.
void KilledTest::withoutADisplayItSaysSoAndEndsWithStatusOne()
{
    QFETCH(QString, display);
    QFETCH(QString, cause);
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    if (!display.isEmpty())
        environment.insert("DISPLAY", display);
    environment.insert("XDG_CONFIG_HOME", home.path() + "/config");
    environment.insert("XDG_RUNTIME_DIR", home.path());
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(home.path());
    program.start(MISTLEFOLD_PROGRAM, QStringList());
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    const QString said = QString::fromLocal8Bit(program.readAllStandardError());
    QCOMPARE(said.count('\n'), 1);
    QVERIFY2(said.contains(cause) && said.contains("display"), qPrintable(said));
    QCOMPARE(program.readAllStandardOutput(), QByteArray());
    QCOMPARE(QDir(home.path()).entryList({"core*"}), QStringList());
}

QTEST_GUILESS_MAIN(KilledTest)
#include "tst_killed.moc"
