// File utilities and the settings store on the paths that go wrong in real use.
#include "TestFixture.h"
#include "details/StoredDate.h"
#include "preview/FileCopy.h"
#include "shell/AppInfo.h"
#include "shell/FileUtils.h"
#include "shell/RuntimeError.h"
#include "shell/SettingsStore.h"

#include <QtTest>

#include <atomic>
#include <thread>

#include <csignal>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
QString read(const QString &key, const QString &defaultValue = QString())
{
    return SettingsStore::read("Quenbrook", "Mistlefold", key, defaultValue);
}
void write(const QString &key, const QString &text)
{
    SettingsStore::write("Quenbrook", "Mistlefold", key, text);
}
QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class FilesTest : public TestFixture
{
    Q_OBJECT

private Q_SLOTS:
    void fileExistsIsFalseForBadPaths_data();
    void fileExistsIsFalseForBadPaths();
    void writeFileIfAbsentWritesExactlyOnce();
    void writeFileIfAbsentFailsCleanlyOnBadPaths();
    void writeFileIfAbsentLetsQueuedEventsRunFirst();
    void deleteFileQuietlyNeverComplains();
    void everyReplacementKeepsToOneRule_data();
    void everyReplacementKeepsToOneRule();

    void settingsReadGivesDefaultsAndCreatesNothing();
    void settingsRoundTripKeepsTextExactly_data();
    void settingsRoundTripKeepsTextExactly();
    void settingsValueWrittenByHandIsRestoredAsWritten_data();
    void settingsValueWrittenByHandIsRestoredAsWritten();
    void settingsFileThatIsNoRegularFileIsReportedWithoutWaiting();
    void settingsWriteIsOnDiskWhenItReturns();
    void settingsWriteFailureIsReported();
    void settingsFileOfRandomBytesIsReplacedWithoutAFalseFailure();

    void storedDatesReadBackToTheSecond_data();
    void storedDatesReadBackToTheSecond();
    void storedDateThatIsNoDateIsATypeMismatch();

    void appTitleDropsWholeWords();
};

void FilesTest::fileExistsIsFalseForBadPaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("empty") << QString();
    QTest::newRow("missing file") << "missing.doc";
    QTest::newRow("missing folder") << "no/such/folder/file.doc";
    QTest::newRow("embedded NUL") << QString("bad") + QChar(0) + "name";
}

void FilesTest::fileExistsIsFalseForBadPaths()
{
    QFETCH(QString, path);
    const QString full = path.isEmpty() ? path : environment->tempFolder() + "/" + path;
    QVERIFY(!FileExists(full));
}

void FilesTest::writeFileIfAbsentWritesExactlyOnce()
{
    const QString path = environment->tempFolder() + "/template.dot";
    const QByteArray bytes("\xD0\xCF\x11\xE0\x00binary\r\n\x00tail", 19);
    WriteFileIfAbsent(bytes, path);
    QVERIFY(FileExists(path));
    QCOMPARE(contentsOf(path), bytes);

    // A file already there stays untouched, even when its content differs.
    WriteFileIfAbsent(QByteArray("other"), path);
    QCOMPARE(contentsOf(path), bytes);
}

void FilesTest::writeFileIfAbsentFailsCleanlyOnBadPaths()
{
    const QString inMissingFolder = environment->tempFolder() + "/missing/template.dot";
    try {
        WriteFileIfAbsent("bytes", inMissingFolder);
        QFAIL("writing into a missing folder succeeded");
    } catch (const RuntimeError &error) {
        QCOMPARE(error.description(), QStringLiteral("Path not found"));
    }
    // A file standing where the folder should be: nothing written, nothing left beside it.
    const QString notAFolder = environment->tempFolder() + "/notes.txt";
    WriteFileIfAbsent("notes", notAFolder);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, WriteFileIfAbsent("bytes", notAFolder + "/template.dot"));
    QCOMPARE(QDir(environment->tempFolder()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{"notes.txt"});
}

void FilesTest::writeFileIfAbsentLetsQueuedEventsRunFirst()
{
    bool ran = false;
    QMetaObject::invokeMethod(this, [&] { ran = true; }, Qt::QueuedConnection);
    WriteFileIfAbsent("x", environment->tempFolder() + "/a.bin");
    QVERIFY(ran);
}

void FilesTest::deleteFileQuietlyNeverComplains()
{
    const QString path = environment->tempFolder() + "/plumix12345678.doc";
    WriteFileIfAbsent("doc", path);
    DeleteFileQuietly(path);
    QVERIFY(!FileExists(path));
    DeleteFileQuietly(path);                                     // already gone
    DeleteFileQuietly(QString());                                // empty
    DeleteFileQuietly(environment->tempFolder() + "/no/such");  // missing folder
    DeleteFileQuietly(environment->tempFolder());               // a folder is not deleted
    QVERIFY(QFileInfo(environment->tempFolder()).isDir());
}

// Every writer replaces a file by one rule: a .doc saved over a link never writes through to its
// target, a work file keeps the permissions of the file it replaces, a name left by a killed write
// does not stay for ever, and a write cut short by the file-size limit is "Disk full".
void FilesTest::everyReplacementKeepsToOneRule_data()
{
    QTest::addColumn<bool>("copy"); // the saved invitation; else a work file
    QTest::addColumn<bool>("synced");
    QTest::newRow("work file") << false << true;
    QTest::newRow("page picture (not synced)") << false << false;
    QTest::newRow("saved invitation") << true << true;
}

void FilesTest::everyReplacementKeepsToOneRule()
{
    QFETCH(bool, copy);
    QFETCH(bool, synced);
    const QString folder = environment->root() + "/Documents";
    QDir().mkpath(folder);
    const QString source = environment->root() + "/source.doc";
    const auto replace = [&](const QByteArray &bytes, const QString &path, bool sourceWritten = false) {
        if (!copy)
            return synced ? WriteFileReplacing(bytes, path) : WriteWorkFile(bytes, path);
        QFile file(source);
        if (!sourceWritten && (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()))
            QFAIL("the source could not be written");
        file.close();
        CopyFileReplacing(source, path);
    };
    // A link is replaced; what it named stays as it was.
    const QString letter = environment->root() + "/letter.doc";
    QFile kept(letter);
    QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("the user's letter") > 0);
    kept.close();
    QVERIFY(QFile::link(letter, folder + "/linked.doc"));
    replace("new", folder + "/linked.doc");
    QCOMPARE(contentsOf(letter), QByteArray("the user's letter"));
    QVERIFY(!QFileInfo(folder + "/linked.doc").isSymLink());
    QCOMPARE(contentsOf(folder + "/linked.doc"), QByteArray("new"));
    // A replaced file keeps who may read it.
    QVERIFY(QFile::setPermissions(folder + "/linked.doc", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    replace("newer", folder + "/linked.doc");
    QCOMPARE(QFile::permissions(folder + "/linked.doc") & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    // What a killed write left goes with the next write into the folder; a running one's stays.
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    QCOMPARE(::waitpid(gone, nullptr, 0), gone);
    for (const pid_t pid : {gone, ::getppid()}) {
        QFile part(folder + QStringLiteral("/.mistlefold-%1-1f.part").arg(pid));
        QVERIFY(part.open(QIODevice::WriteOnly));
    }
    // Out of room (here: past the file-size limit): "Disk full", and the earlier file stays.
    const QByteArray tooLong = "far too long";
    QFile(source).remove();
    QFile longSource(source);
    QVERIFY(longSource.open(QIODevice::WriteOnly) && longSource.write(tooLong) == tooLong.size());
    longSource.close();
    struct rlimit limit {};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const struct rlimit small{4, limit.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    QString description;
    try {
        replace(tooLong, folder + "/linked.doc", true);
    } catch (const RuntimeError &error) {
        description = error.description();
    }
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler);
    QCOMPARE(description, QStringLiteral("Disk full"));
    QCOMPARE(contentsOf(folder + "/linked.doc"), QByteArray("newer"));
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({QStringLiteral(".mistlefold-%1-1f.part").arg(::getppid()), "linked.doc"}));
}

void FilesTest::settingsReadGivesDefaultsAndCreatesNothing()
{
    QCOMPARE(read("Text1_1"), QString());
    QCOMPARE(read("DateTimePicker1", "2026-12-08"), QStringLiteral("2026-12-08"));
    QVERIFY(!QFile::exists(environment->settingsFile()));

    // An empty text is a value, not an absent key.
    write("Text1_0", QString());
    QCOMPARE(read("Text1_0", "default"), QString());
}

void FilesTest::settingsRoundTripKeepsTextExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("leading and trailing blanks") << "  North Vellmont  ";
    QTest::newRow("commas") << "417 Larkspur Avenue, Apt 3, rear";
    QTest::newRow("quotes and backslashes") << R"(The "Ketterly" \ family)";
    QTest::newRow("at sign first") << "@Variant(not really)";
    QTest::newRow("equals and semicolons") << "a=b; c";
    QTest::newRow("non-Latin") << QString::fromUtf8("Zoë & Bjørn — 北京");
    QTest::newRow("looks like a number") << "007";
    QTest::newRow("looks like a boolean") << "true";
    QTest::newRow("line breaks") << "Rear door\nup the stairs\r\nleft";
    QTest::newRow("all at once") << R"( "a", b; c\d , )";
}

void FilesTest::settingsRoundTripKeepsTextExactly()
{
    QFETCH(QString, text);
    write("Text1_2", text);
    QCOMPARE(read("Text1_2"), text);
}

// Qt reads a comma without quotes as a list, which would be restored as an empty field.
void FilesTest::settingsValueWrittenByHandIsRestoredAsWritten_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("text");
    QTest::newRow("comma") << QByteArray("Text1_2=12 Elm St, Apt 4") << "12 Elm St, Apt 4";
    QTest::newRow("commas without blanks") << QByteArray("Text1_2 = a,b,,c ") << "a,b,,c";
}

void FilesTest::settingsValueWrittenByHandIsRestoredAsWritten()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, text);
    QDir().mkpath(QFileInfo(environment->settingsFile()).path());
    QFile file(environment->settingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Other]\nText1_2=not this one\n[Mistlefold]\nText1_1=x\n" + line + "\n");
    file.close();
    QCOMPARE(read("Text1_2"), text);
}

// A FIFO in the settings file's place blocked the start for ever: it is reported and never opened.
void FilesTest::settingsFileThatIsNoRegularFileIsReportedWithoutWaiting()
{
    QDir().mkpath(QFileInfo(environment->settingsFile()).path());
    QCOMPARE(::mkfifo(QFile::encodeName(environment->settingsFile()).constData(), 0600), 0);
    // Should a read wait on the FIFO after all, a writer that comes and goes ends the wait.
    std::atomic<bool> done = false;
    std::atomic<bool> waited = false;
    std::thread unblocker([&] {
        for (int tick = 0; tick < 50 && !done; ++tick)
            QThread::msleep(100);
        while (!done) {
            const int writer = ::open(QFile::encodeName(environment->settingsFile()).constData(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0) {
                waited = true;
                ::close(writer);
            }
            QThread::msleep(100);
        }
    });
    QVERIFY_THROWS_EXCEPTION(RuntimeError, read("Text1_1"));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, write("Text1_1", "x"));
    QVERIFY(!SettingsStore::writeProblem("Quenbrook").isEmpty());
    done = true;
    unblocker.join();
    QVERIFY(!waited);
    QVERIFY(QFileInfo(environment->settingsFile()).isFile() == false); // the FIFO is left as it was
}

void FilesTest::settingsWriteIsOnDiskWhenItReturns()
{
    write("Text1_1", "North Vellmont");
    // Read the file itself, not through the store's in-process cache.
    QVERIFY(contentsOf(environment->settingsFile()).contains("Text1_1=North Vellmont"));
    QVERIFY(contentsOf(environment->settingsFile()).contains("[Mistlefold]"));
}

void FilesTest::settingsWriteFailureIsReported()
{
    // A file standing where the settings folder should be: no user, not even root, can write.
    const QString blocked = environment->root() + "/blocked";
    QFile file(blocked);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, blocked);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, write("Text1_1", "x"));
}

// Qt reads such a file as damaged and keeps saying so after a write has replaced it: a write that
// succeeded must not be reported as failed.
void FilesTest::settingsFileOfRandomBytesIsReplacedWithoutAFalseFailure()
{
    QRandomGenerator bytes(8);
    QByteArray garbage(4096, Qt::Uninitialized);
    bytes.fillRange(reinterpret_cast<quint32 *>(garbage.data()), garbage.size() / 4);
    QDir().mkpath(QFileInfo(environment->settingsFile()).path());
    QFile file(environment->settingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(garbage);
    file.close();

    QCOMPARE(read("Text1_1", "<absent>"), QStringLiteral("<absent>"));
    write("Text1_1", "North Vellmont");
    QVERIFY(contentsOf(environment->settingsFile()).contains("Text1_1=North Vellmont"));
    write("Text1_2", "417 Larkspur Avenue"); // and the next write as well
    QCOMPARE(read("Text1_2"), QStringLiteral("417 Larkspur Avenue"));
}

void FilesTest::storedDatesReadBackToTheSecond_data()
{
    QTest::addColumn<QDateTime>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("date and time") << QDateTime(QDate(2026, 12, 24), QTime(19, 30, 45)) << "2026-12-24T19:30:45";
    QTest::newRow("midnight is the date alone") << QDateTime(QDate(2026, 12, 24), QTime(0, 0)) << "2026-12-24";
    QTest::newRow("time without a date part") << StoredDate::timeOnly(QTime(7, 5, 9)) << "07:05:09";
    QTest::newRow("time at midnight") << StoredDate::timeOnly(QTime(0, 0)) << "00:00:00";
    QTest::newRow("one second before midnight") << QDateTime(QDate(2027, 1, 1), QTime(23, 59, 59)) << "2027-01-01T23:59:59";
    QTest::newRow("earliest") << QDateTime(QDate(1601, 1, 1), QTime(0, 0, 1)) << "1601-01-01T00:00:01";
}

void FilesTest::storedDatesReadBackToTheSecond()
{
    QFETCH(QDateTime, value);
    QFETCH(QString, text);
    QCOMPARE(StoredDate::toText(value), text);
    write("DateTimePicker1", StoredDate::toText(value));
    QCOMPARE(StoredDate::fromText(read("DateTimePicker1")), value);
    // Milliseconds are not kept: the value reads back to the second.
    QCOMPARE(StoredDate::toText(value.addMSecs(999)), text);
}

void FilesTest::storedDateThatIsNoDateIsATypeMismatch()
{
    for (const char *text : {"", "next Tuesday", "2026-13-45", "25:61:00"}) {
        try {
            StoredDate::fromText(QString::fromLatin1(text));
            QFAIL(text);
        } catch (const RuntimeError &error) {
            QCOMPARE(error.description(), QStringLiteral("Type mismatch"));
        }
    }
}

void FilesTest::appTitleDropsWholeWords()
{
    QCOMPARE(AppInfo::titleFor("Mistlefold"), QStringLiteral("Mistlefold"));
    const QString forty(40, QLatin1Char('x'));
    QCOMPARE(AppInfo::titleFor(forty), forty);
    QCOMPARE(AppInfo::titleFor("The Mistlefold Christmas Party Invitation Maker Deluxe"),
             QStringLiteral("The Mistlefold Christmas Party"));
    QCOMPARE(AppInfo::titleFor(QString(45, QLatin1Char('y'))), QString(40, QLatin1Char('y')));
}

QTEST_GUILESS_MAIN(FilesTest)
#include "tst_files.moc"
