// Typing one character and then killing the program loses nothing: the next start shows it.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class KilledTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typedCharacterSurvivesKill();
};

void KilledTest::typedCharacterSurvivesKill()
{
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", home.path() + "/config");
    environment.insert("XDG_RUNTIME_DIR", home.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    const QString child = QCoreApplication::applicationDirPath() + "/typing_child";

    QProcess typing;
    typing.setProcessEnvironment(environment);
    typing.start(child, {"type"});
    QVERIFY(typing.waitForStarted());
    QByteArray output;
    QElapsedTimer waited;
    waited.start();
    while (!output.contains("typed") && waited.elapsed() < 20000) {
        typing.waitForReadyRead(100);
        output += typing.readAllStandardOutput();
    }
    QVERIFY(output.contains("typed"));
    typing.kill(); // SIGKILL: no clean-up runs
    QVERIFY(typing.waitForFinished());
    QCOMPARE(typing.exitStatus(), QProcess::CrashExit);

    QProcess restarted;
    restarted.setProcessEnvironment(environment);
    restarted.start(child, {"print"});
    QVERIFY(restarted.waitForFinished(20000));
    QCOMPARE(restarted.readAllStandardOutput().trimmed(), QByteArray("y"));
}

QTEST_GUILESS_MAIN(KilledTest)
#include "tst_killed.moc"
