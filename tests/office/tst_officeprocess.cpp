#include "TestDoubles.h"

#include "automation/CreateObject.h"
#include "office/OfficeEngine.h"
#include "office/OfficeModule.h"
#include "shell/Program.h"
#include "shell/RuntimeError.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <csignal>
#include <future>
#include <limits>
#include <thread>
#include <unistd.h>

namespace {

// Running (not a zombie waiting to be reaped).
bool processRunning(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) != "Z";
}

// The offices running on a profile folder.
QList<qint64> officesOn(const QString &profile)
{
    const QByteArray argument = "-env:UserInstallation=" + QUrl::fromLocalFile(profile).toEncoded();
    QList<qint64> result;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        QFile file(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (file.open(QIODevice::ReadOnly) && file.readAll().split('\0').contains(argument) && processRunning(entry.toLongLong()))
            result.append(entry.toLongLong());
    }
    return result;
}

Object open(const Object &word, const QString &path)
{
    return word.object(QStringLiteral("Documents"))
        .call(QStringLiteral("Open"), {path}, {{QStringLiteral("ReadOnly"), true}})
        .toObject();
}

} // namespace

// The office process and the calls into it: a hung office is ended within its bound while the
// window goes on being served, a request to end the program is honoured at once, the office
// starts in the background, it gets a UTF-8 locale whatever ours is, and a save that runs out of
// space says so and hands nothing on.
class OfficeProcessTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> environment;
    QString document; // the real invitation template

    QString profile() const { return environment->root() + QStringLiteral("/cache/mistlefold/office/profile-1"); }

    // Runs office_child; its standard output, or the reason it could not run.
    QString runChild(const QString &program, const QStringList &arguments, const QProcessEnvironment &childEnvironment)
    {
        QProcess child;
        child.setProcessEnvironment(childEnvironment);
        child.start(program, arguments);
        if (!child.waitForFinished(120000))
            return QStringLiteral("timed out");
        return QString::fromUtf8(child.readAllStandardOutput() + child.readAllStandardError());
    }

private slots:
    void initTestCase()
    {
        environment = std::make_unique<TestEnvironment>();
        registerOfficeEngine();
        try {
            officeModule();
        } catch (const RuntimeError &error) {
            QFAIL(qPrintable(QStringLiteral("the office module is missing: ") + error.description()));
        }
        document = environment->tempFolder() + QStringLiteral("/template.doc");
        QVERIFY(QFile::copy(QStringLiteral(TEMPLATE_DOCUMENT), document));
    }

    void init() { Program::resetEnded(); }

    void cleanupTestCase()
    {
        Program::resetEnded();
        shutdownOfficeEngine();
        QCOMPARE(officesOn(profile()), QList<qint64>());
    }

    // A stopped office must not freeze the whole window for the 60 s of the watchdog, nor let
    // clicks made meanwhile run their handlers after it.
    void aStoppedOfficeIsEndedWithinTwentySecondsWhileTheWindowIsServed()
    {
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        const Object template_ = open(word, document);
        const qint64 office = officeModule().processId();
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(100);
        QPushButton button;
        QLineEdit field;
        button.show();
        field.show();
        int clicks = 0;
        connect(&button, &QPushButton::clicked, [&] { ++clicks; });
        QTimer::singleShot(500, [&] {
            QTest::mouseClick(&button, Qt::LeftButton);
            QTest::keyClicks(&field, QStringLiteral("typed"));
        });
        ::kill(pid_t(office), SIGSTOP);
        QElapsedTimer elapsed;
        elapsed.start();
        try {
            template_.object(QStringLiteral("StoryRanges"));
            QFAIL("a call into a stopped office succeeded");
        } catch (const RuntimeError &error) {
            QVERIFY2(error.description().contains(QStringLiteral("did not answer")), qPrintable(error.description()));
        }
        // The kill has been sent when the call fails; on a busy machine the process takes a
        // moment more to be gone.
        QTRY_VERIFY_WITH_TIMEOUT(!processRunning(office), 2000);
        QVERIFY2(elapsed.elapsed() < 20000, qPrintable(QString::number(elapsed.elapsed())));
        // Timers (and so repaints and close requests) went on while the call waited; input did
        // not reach its handlers.
        QVERIFY2(ticks >= elapsed.elapsed() / 100 / 2, qPrintable(QString::number(ticks)));
        QCOMPARE(clicks, 0);
        QCOMPARE(field.text(), QString());
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, 1);
    }

    // Closing the window, or SIGTERM, while the office hangs never waits for the watchdog.
    void anEndRequestDuringAHungCallIsHonouredWithinASecond_data()
    {
        QTest::addColumn<bool>("signal");
        QTest::newRow("window closed") << false;
        QTest::newRow("SIGTERM") << true;
    }
    void anEndRequestDuringAHungCallIsHonouredWithinASecond()
    {
        QFETCH(bool, signal);
        Program::endOnTerminationSignals();
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        const Object template_ = open(word, document);
        const qint64 office = officeModule().processId();
        ::kill(pid_t(office), SIGSTOP);
        QElapsedTimer sinceRequest;
        QTimer::singleShot(300, [&] {
            sinceRequest.start();
            if (signal)
                ::kill(::getpid(), SIGTERM);
            else
                Program::EndProgram();
        });
        try {
            template_.object(QStringLiteral("StoryRanges"));
            QFAIL("a call into a stopped office succeeded");
        } catch (const RuntimeError &error) {
            QVERIFY2(error.description().contains(QStringLiteral("program is ending")), qPrintable(error.description()));
        }
        QVERIFY2(sinceRequest.isValid() && sinceRequest.elapsed() < 1000, qPrintable(QString::number(sinceRequest.elapsed())));
        QVERIFY(Program::hasEnded());
        QVERIFY(!processRunning(office));
        QCOMPARE(QDir(environment->root() + QStringLiteral("/cache/mistlefold/office")).entryList({QStringLiteral("*-tmp-*")}, QDir::Dirs),
                 QStringList());
        // No office is started once the program has ended.
        QVERIFY_THROWS_EXCEPTION(RuntimeError, CreateObject(QStringLiteral("Word.Application")));
        QCOMPARE(officesOn(profile()), QList<qint64>());
    }

    void aCallDuringTheBackgroundStartWaitsForIt()
    {
        shutdownOfficeEngine();
        QStringList failures;
        setOfficeEngineStartFailureHandler([&](const QString &cause) { failures.append(cause); });
        startOfficeEngineInBackground();
        QCOMPARE(officeModule().processId(), 0); // still starting
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(20);
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        QVERIFY(ticks > 0); // the wait served the event loop
        QVERIFY(!open(word, document).object(QStringLiteral("StoryRanges")).enumerate().isEmpty());
        // The office the background start began is the one in use: there is no second.
        QCOMPARE(officesOn(profile()), QList<qint64>{officeModule().processId()});
        QCoreApplication::processEvents();
        QCOMPARE(failures, QStringList());
        setOfficeEngineStartFailureHandler(nullptr);
    }

    // A click that waited for a fresh office in place of a worn one would wait 2 to 4 s, every
    // 50th click. The fresh one starts beside it, on a profile of its own, while the worn one
    // serves; it takes over once nothing uses the worn one, which then goes with its files. Ending
    // the program meanwhile still takes well under a second and leaves no office behind.
    void aWornOfficeIsReplacedWithoutAnyoneWaiting_data()
    {
        QTest::addColumn<QString>("during");
        QTest::newRow("a fill") << "fill";
        QTest::newRow("a page picture on a worker thread") << "picture";
        QTest::newRow("the program ends") << "end";
    }
    void aWornOfficeIsReplacedWithoutAnyoneWaiting()
    {
        QFETCH(QString, during);
        shutdownOfficeEngine();
        officeModule().setRecycleAfterLoads(2);
        Object word = CreateObject(QStringLiteral("Word.Application"));
        const qint64 worn = officeModule().processId();
        open(word, document).call(QStringLiteral("Close"));
        open(word, document).call(QStringLiteral("Close"));
        // The fresh office takes at least 5 s to start: whoever waited for it would show.
        const QString slowOffice = environment->root() + QStringLiteral("/slow-office");
        {
            QFile script(slowOffice);
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write("#!/bin/sh\nsleep 5\nexec " LIBREOFFICE_PROGRAM_DIR "/soffice.bin \"$@\"\n");
        }
        QFile::setPermissions(slowOffice, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        officeModule().setOfficeProgram(slowOffice);
        const auto restore = qScopeGuard([] { officeModule().setOfficeProgram(QString()); });
        word = Object(); // worn and idle: the fresh office starts beside it
        // The fresh office is not to be worn out in turn by what this test does with it.
        officeModule().setRecycleAfterLoads(std::numeric_limits<int>::max());
        const QString spare = environment->root() + QStringLiteral("/cache/mistlefold/office/profile-2");
        QTRY_COMPARE_WITH_TIMEOUT(officesOn(spare).size(), 1, 10000);
        const QString officeFolder = environment->root() + QStringLiteral("/cache/mistlefold/office");
        QElapsedTimer elapsed;
        elapsed.start();
        if (during == QLatin1String("end")) {
            Program::EndProgram();
            QVERIFY2(elapsed.elapsed() < 1000, qPrintable(QString::number(elapsed.elapsed())));
            QTRY_COMPARE_WITH_TIMEOUT(officesOn(profile()) + officesOn(spare), QList<qint64>(), 1000);
            QCOMPARE(QDir(officeFolder).entryList({QStringLiteral("*-tmp-*")}, QDir::Dirs), QStringList());
            return;
        }
        // Served by the worn office, without waiting for the fresh one.
        if (during == QLatin1String("picture")) {
            auto picture = std::async(std::launch::async, [&] { return renderFirstPage(document, 96); });
            QCOMPARE(picture.get().size(), QSize(816, 1056));
        } else {
            word = CreateObject(QStringLiteral("Word.Application"));
            QVERIFY(!open(word, document).object(QStringLiteral("StoryRanges")).enumerate().isEmpty());
            word.call(QStringLiteral("Quit"));
            word = Object();
        }
        QVERIFY2(elapsed.elapsed() < 4000, qPrintable(QString::number(elapsed.elapsed())));
        QCOMPARE(officeModule().processId(), worn);
        QTRY_VERIFY_WITH_TIMEOUT(officesOn(spare) == QList<qint64>{officeModule().processId()}, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!processRunning(worn), 2000);
        QCOMPARE(officesOn(profile()), QList<qint64>());
        // The worn office's files go right after it has been reaped, on the thread that ended it.
        QTRY_COMPARE_WITH_TIMEOUT(QDir(officeFolder).entryList({QStringLiteral("*-tmp-*")}, QDir::Dirs).size(), 1, 2000);
    }

    // The page picture is sharpened on a worker thread while the main thread goes on calling.
    void callsFromAWorkerThreadAndTheMainThreadAtOnce()
    {
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        const Object mine = open(word, document);
        std::atomic<bool> workerDone = false;
        QString workerError;
        std::thread worker([&] {
            try {
                const Object theirs = CreateObject(QStringLiteral("Word.Application"));
                const Object shapes = open(theirs, document);
                for (int i = 0; i < 50; ++i)
                    shapes.object(QStringLiteral("Shapes")).enumerate();
                theirs.call(QStringLiteral("Quit"));
            } catch (const RuntimeError &error) {
                workerError = error.description();
            }
            workerDone = true;
        });
        int mainCalls = 0;
        for (; !workerDone || mainCalls == 0; ++mainCalls)
            mine.object(QStringLiteral("Shapes")).enumerate();
        worker.join();
        QCOMPARE(workerError, QString());
        word.call(QStringLiteral("Quit"));
    }

    void aBackgroundStartThatFailsDeliversItsCause_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("cache");
        QTest::addColumn<QString>("cause");
        QTest::newRow("office program missing") << "/nonexistent/soffice.bin" << "cache"
                                                << "/nonexistent/soffice.bin is missing";
        QTest::newRow("profile folder cannot be created") << "" << "file/cache" << "cannot be created: Not a directory";
        QTest::newRow("office folder is a link") << "" << "linked" << "office cannot be used safely: it is not a folder";
        QTest::newRow("office folder of another user") << "" << "foreign" << "office cannot be used safely: it belongs to another user";
    }
    void aBackgroundStartThatFailsDeliversItsCause()
    {
        QFETCH(QString, program);
        QFETCH(QString, cache);
        QFETCH(QString, cause);
        shutdownOfficeEngine();
        QFile file(environment->root() + QStringLiteral("/file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString planted = environment->root() + QLatin1Char('/') + cache + QStringLiteral("/mistlefold/office");
        if (cache == QLatin1String("linked"))
            QVERIFY(QDir().mkpath(QFileInfo(planted).path()) && QFile::link(environment->root(), planted));
        if (cache == QLatin1String("foreign") && (!QDir().mkpath(planted) || ::chown(QFile::encodeName(planted), 65534, 65534) != 0))
            QSKIP("Only root can give a folder to another user.");
        officeModule().setOfficeProgram(program);
        qputenv("XDG_CACHE_HOME", QFile::encodeName(environment->root() + QLatin1Char('/') + cache));
        // Told at once, before any start.
        QVERIFY2(officeEngineUnavailableCause().contains(cause), qPrintable(officeEngineUnavailableCause()));
        QStringList delivered;
        bool onMainThread = false;
        setOfficeEngineStartFailureHandler([&](const QString &line) {
            delivered.append(line);
            onMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        });
        startOfficeEngineInBackground();
        QTRY_COMPARE(delivered.size(), 1);
        QVERIFY(onMainThread);
        QVERIFY2(delivered.first().contains(cause), qPrintable(delivered.first()));
        QVERIFY(!delivered.first().contains(QLatin1Char('\n')));
        QCOMPARE(officeEngineFailureCause(), delivered.first());
        officeModule().setOfficeProgram(QString());
        qputenv("XDG_CACHE_HOME", QFile::encodeName(environment->root() + QStringLiteral("/cache")));
        setOfficeEngineStartFailureHandler(nullptr);
        file.remove();
    }

    // A start sweeps what killed offices left beside their profile. A link named like a leftover,
    // or one inside a leftover folder, is never followed: everything in the folder it names would go.
    void aStartSweepsLeftoversWithoutFollowingLinks()
    {
        shutdownOfficeEngine();
        const QString cache = environment->root() + QStringLiteral("/cache-planted");
        const QString office = cache + QStringLiteral("/mistlefold/office");
        const QString documents = environment->root() + QStringLiteral("/Documents");
        QVERIFY(QDir().mkpath(office + QStringLiteral("/profile-1-tmp-dead/inner")) && QDir().mkpath(documents + QStringLiteral("/sub")));
        QFile letter(documents + QStringLiteral("/sub/letter.txt"));
        QVERIFY(letter.open(QIODevice::WriteOnly) && letter.write("keep") == 4);
        letter.close();
        QVERIFY(QFile::link(documents, office + QStringLiteral("/profile-1-tmp-old")));
        QVERIFY(QFile::link(documents, office + QStringLiteral("/profile-1-tmp-dead/inner/docs")));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));
        CreateObject(QStringLiteral("Word.Application")).call(QStringLiteral("Quit"));
        shutdownOfficeEngine();
        qputenv("XDG_CACHE_HOME", QFile::encodeName(environment->root() + QStringLiteral("/cache")));
        QVERIFY(QFile::exists(documents + QStringLiteral("/sub/letter.txt")));
        QCOMPARE(QDir(office).entryList({QStringLiteral("*-tmp-*")}, QDir::AllEntries | QDir::System), QStringList());
    }

    // A profile of random bytes makes the office crash at every start, which would end the
    // program with the engine's advice for good; a folder in the lock file's place would give
    // "all 16 office profiles are in use". Both are set aside.
    void aProfileTheOfficeCannotUseIsSetAside_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("random bytes in the profile") << "bytes";
        QTest::newRow("a folder in the lock file's place") << "lock";
    }
    void aProfileTheOfficeCannotUseIsSetAside()
    {
        QFETCH(QString, damage);
        shutdownOfficeEngine();
        const QString cache = environment->root() + QStringLiteral("/cache-") + damage;
        const QString office = cache + QStringLiteral("/mistlefold/office");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));
        CreateObject(QStringLiteral("Word.Application")).call(QStringLiteral("Quit"));
        shutdownOfficeEngine();
        if (damage == QLatin1String("lock")) {
            QVERIFY(QDir().mkdir(office + QStringLiteral("/profile-1.lock")));
        } else {
            QDirIterator files(office + QStringLiteral("/profile-1"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            QRandomGenerator random(19);
            while (files.hasNext()) {
                QFile file(files.next());
                QByteArray bytes(4096, Qt::Uninitialized);
                random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
            }
        }
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        QVERIFY(!open(word, document).object(QStringLiteral("StoryRanges")).enumerate().isEmpty());
        QCOMPARE(officesOn(office + QStringLiteral("/profile-1")).size(), 1);
        word.call(QStringLiteral("Quit"));
        shutdownOfficeEngine();
        qputenv("XDG_CACHE_HOME", QFile::encodeName(environment->root() + QStringLiteral("/cache")));
        // What was set aside is kept.
        const QStringList aside = QDir(office).entryList({QStringLiteral("profile-1*.set-aside-*")}, QDir::AllEntries);
        QCOMPARE(aside.size(), 1);
        if (damage == QLatin1String("bytes"))
            QVERIFY(QFileInfo(office + QLatin1Char('/') + aside.first() + QStringLiteral("/user")).isDir());
    }

    // Under a C locale the office can name no path holding "ü" ("Unsupported URL"): it is given a
    // UTF-8 locale whatever ours is.
    void aFolderWithAnUmlautUnderACLocale()
    {
        const QString folder = environment->root() + QStringLiteral("/Grüße");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::copy(document, folder + QStringLiteral("/template.doc")));
        QProcessEnvironment childEnvironment = QProcessEnvironment::systemEnvironment();
        childEnvironment.insert(QStringLiteral("LANG"), QStringLiteral("C"));
        childEnvironment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        childEnvironment.insert(QStringLiteral("TEMP"), folder);
        childEnvironment.insert(QStringLiteral("XDG_CACHE_HOME"), environment->root() + QStringLiteral("/cache-ü"));
        const QString output = runChild(QCoreApplication::applicationDirPath() + QStringLiteral("/office_child"),
                                        {QStringLiteral("save"), folder + QStringLiteral("/template.doc"), folder + QStringLiteral("/filled.doc")},
                                        childEnvironment);
        QVERIFY2(output.startsWith(QStringLiteral("saved\n")), qPrintable(output));
        QFile saved(folder + QStringLiteral("/filled.doc"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.read(8), QByteArray::fromHex("d0cf11e0a1b11ae1"));
    }

    // SaveAs on a full disk must leave neither a cut-off document reported as a success nor an
    // empty one with a generic error. The destination's write is cut short by a file-size limit just
    // before the save; the office's own folder is filled up in a small file system of its own,
    // where one can be mounted (the office then writes an empty document and says nothing).
    void aSaveThatRunsOutOfSpaceSaysDiskFullAndKeepsTheEarlierFile_data()
    {
        QTest::addColumn<QString>("full");
        QTest::newRow("destination full") << "limit";
        QTest::newRow("office's folder full") << "cache";
    }
    void aSaveThatRunsOutOfSpaceSaysDiskFullAndKeepsTheEarlierFile()
    {
        QFETCH(QString, full);
        const QString root = environment->root() + QStringLiteral("/small-") + full;
        const QString temp = root + QStringLiteral("/temp");
        const QString cache = root + QStringLiteral("/cache");
        QVERIFY(QDir().mkpath(temp) && QDir().mkpath(cache));
        {
            QFile earlier(temp + QStringLiteral("/invitation.doc"));
            QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
        }
        QProcessEnvironment childEnvironment = QProcessEnvironment::systemEnvironment();
        childEnvironment.insert(QStringLiteral("TEMP"), temp);
        childEnvironment.insert(QStringLiteral("XDG_CACHE_HOME"), cache);
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/office_child");
        const QStringList save{QStringLiteral("save"), document, temp + QStringLiteral("/invitation.doc")};
        QProcess child;
        child.setProcessEnvironment(childEnvironment);
        if (full == QLatin1String("limit")) {
            child.start(program, save + QStringList{full});
        } else {
            // A mount namespace of the child's own, in a user namespace so that no privilege is
            // needed where the system allows those: the small file system vanishes with it.
            const QString script = QStringLiteral(
                "mount -t tmpfs -o size=16m tmpfs \"$1\" || exit 99; echo mounted >&2; shift; exec \"$@\"");
            child.start(QStringLiteral("unshare"), QStringList{QStringLiteral("-rm"),
                                                               QStringLiteral("sh"), QStringLiteral("-c"), script,
                                                               QStringLiteral("sh"), cache, program}
                                                       + save + QStringList{cache});
        }
        QVERIFY(child.waitForFinished(120000));
        const QString said = QString::fromLocal8Bit(child.readAllStandardError());
        if (full != QLatin1String("limit") && !said.contains(QStringLiteral("mounted")))
            QSKIP(qPrintable(QStringLiteral("No small file system could be mounted here: ") + said));
        // Nothing else is left beside the earlier file, which is as it was.
        QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()), QStringLiteral("failed Disk full\nleft invitation.doc:7\n"));
    }
};

QTEST_MAIN(OfficeProcessTest)
#include "tst_officeprocess.moc"
