// Typing one character and then killing the program loses nothing: the next start shows it. A
// request to terminate ends the program through its clean-up.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class KilledTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typedCharacterSurvivesKill();
    void terminationSignalRunsTheCleanUp();

private:
    static QByteArray waitForLine(QProcess &process, const QByteArray &line);
    // Starts the child program in its own settings folder under home.
    static void startChild(QProcess &child, const QTemporaryDir &home, const QStringList &arguments);
};

void KilledTest::startChild(QProcess &child, const QTemporaryDir &home, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", home.path() + "/config");
    environment.insert("XDG_RUNTIME_DIR", home.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationDirPath() + "/typing_child", arguments);
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

QTEST_GUILESS_MAIN(KilledTest)
#include "tst_killed.moc"
