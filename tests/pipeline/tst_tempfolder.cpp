// Where the work files go: TEMP when set, otherwise a private folder that nobody else can plant
// files in or redirect; inside it a work folder of each running program's own, which goes when
// the program ends, or, when it was killed, when the next one starts.
#include "TestFixture.h"
#include "generation/TempFolder.h"
#include "shell/Program.h"
#include "shell/RuntimeError.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

class TempFolderTest : public TestFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void tempOrTEMPWhenSet();
    void privateFolderIsMadeWithOwnerOnlyAccess();
    void privateFolderTakenByAnotherUserIsNeverUsed_data();
    void privateFolderTakenByAnotherUserIsNeverUsed();
    void workFolderIsTheProgramsOwn();
    void workFolderGoesAtTheEndWithWhatItHolds();
    void leftoversOfProgramsThatAreGoneAreSwept();

private:
    QString privateFolder() const { return mSystemTemp->path() + "/mistlefold-" + QString::number(getuid()); }
    QScopedPointer<QTemporaryDir> mSystemTemp;
    QByteArray mOldTmpDir;
};

void TempFolderTest::init()
{
    TestFixture::init();
    mSystemTemp.reset(new QTemporaryDir);
    mOldTmpDir = qgetenv("TMPDIR");
    qputenv("TMPDIR", mSystemTemp->path().toUtf8()); // the system temporary folder of this test
}

void TempFolderTest::cleanup()
{
    qputenv("TMPDIR", mOldTmpDir);
    mSystemTemp.reset();
    TestFixture::cleanup();
}

void TempFolderTest::tempOrTEMPWhenSet()
{
    QCOMPARE(TempFolder::base(), environment->tempFolder());
    qunsetenv("TEMP");
    qputenv("temp", "/some/where");
    QCOMPARE(TempFolder::base(), QStringLiteral("/some/where"));
    qunsetenv("temp");
}

void TempFolderTest::privateFolderIsMadeWithOwnerOnlyAccess()
{
    qputenv("TEMP", ""); // set but empty counts as unset
    QCOMPARE(TempFolder::base(), privateFolder());
    struct stat info {};
    QCOMPARE(::lstat(QFile::encodeName(privateFolder()).constData(), &info), 0);
    QVERIFY(S_ISDIR(info.st_mode));
    QCOMPARE(info.st_mode & 0777, mode_t(0700));

    // A folder of ours that others could enter is closed again.
    ::chmod(QFile::encodeName(privateFolder()).constData(), 0777);
    QCOMPARE(TempFolder::base(), privateFolder());
    QCOMPARE(::lstat(QFile::encodeName(privateFolder()).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, mode_t(0700));
}

// Another user may make the private folder's name first (a folder of theirs, or a link); that must
// not make every generation fail for as long as it stands: a folder nobody else can take is used
// instead.
void TempFolderTest::privateFolderTakenByAnotherUserIsNeverUsed_data()
{
    QTest::addColumn<bool>("link");    // else a folder of another user's
    QTest::addColumn<bool>("runtime"); // the user has a runtime folder of their own
    QTest::newRow("a link, runtime folder") << true << true;
    QTest::newRow("another user's folder, no runtime folder") << false << false;
}

void TempFolderTest::privateFolderTakenByAnotherUserIsNeverUsed()
{
    QFETCH(bool, link);
    QFETCH(bool, runtime);
    qunsetenv("TEMP");
    if (!runtime)
        qunsetenv("XDG_RUNTIME_DIR");
    QTemporaryDir elsewhere;
    if (link)
        QVERIFY(QFile::link(elsewhere.path(), privateFolder()));
    else if (!QDir().mkdir(privateFolder()) || ::chown(QFile::encodeName(privateFolder()).constData(), 65534, 65534) != 0)
        QSKIP("only root can give a folder to another user");
    const QString base = QFileInfo(TempFolder::path()).path();
    if (runtime)
        QCOMPARE(base, environment->root() + "/runtime/mistlefold");
    else
        QVERIFY2(base.startsWith(privateFolder() + "-"), qPrintable(base));
    struct stat info {};
    QCOMPARE(::lstat(QFile::encodeName(base).constData(), &info), 0);
    QVERIFY(S_ISDIR(info.st_mode) && info.st_uid == ::getuid());
    QCOMPARE(info.st_mode & 0777, mode_t(0700));
    QCOMPARE(TempFolder::base(), base); // the same for the whole run
    QCOMPARE(QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    Program::runCleanups();
    QVERIFY(!QFileInfo::exists(base));
}

void TempFolderTest::workFolderIsTheProgramsOwn()
{
    const QString folder = TempFolder::path();
    QCOMPARE(QFileInfo(folder).path(), environment->tempFolder());
    QVERIFY(QFileInfo(folder).fileName().startsWith("mistlefold-run-"));
    struct stat info {};
    QCOMPARE(::lstat(QFile::encodeName(folder).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, mode_t(0700));
    QCOMPARE(TempFolder::file("temp.bmp"), folder + "/temp.bmp");
    QCOMPARE(TempFolder::path(), folder); // one per program

    // A folder that was removed under the program is made again.
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(QFileInfo(TempFolder::path()).isDir());
}

void TempFolderTest::workFolderGoesAtTheEndWithWhatItHolds()
{
    qunsetenv("TEMP");
    const QString folder = TempFolder::path();
    QCOMPARE(QFileInfo(folder).path(), privateFolder());
    QFile file(folder + "/plumix12345678.doc");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    Program::runCleanups(); // the first use added the hook
    QVERIFY(!QFileInfo::exists(folder));
    QVERIFY(!QFileInfo::exists(privateFolder())); // empty, so removed as well
}

// A killed program leaves its filled document behind, and an office that crashed while saving its
// "lu" file; the next start removes them, and leaves alone whatever is not such a leftover.
void TempFolderTest::leftoversOfProgramsThatAreGoneAreSwept()
{
    const QDir temp(environment->tempFolder());
    const auto makeFolder = [](const QString &folder, const QStringList &files) {
        QDir().mkpath(folder);
        for (const QString &file : files) {
            QFile made(folder + "/" + file);
            made.open(QIODevice::WriteOnly);
            made.write("x");
        }
        return folder;
    };
    const QString killed = makeFolder(temp.filePath("mistlefold-run-KiLLed"), {".lock", "plumix12345678.doc", "lu12345abc.tmp"});
    const QString running = makeFolder(temp.filePath("mistlefold-run-RunNng"), {".lock", "plumix87654321.doc"});
    const QString starting = makeFolder(temp.filePath("mistlefold-run-StaRtg"), {".lock.new"});
    const QString other = makeFolder(temp.filePath("other"), {".lock"});
    // A link named like a work folder, to what looks like a leftover elsewhere.
    const QString target = makeFolder(environment->root() + "/elsewhere", {".lock", "keep.doc"});
    QVERIFY(QFile::link(target, temp.filePath("mistlefold-run-LinKed")));
    QVERIFY(QFile::link(target, killed + "/linked")); // and one inside a leftover
    // The running program holds its lock.
    const int held = ::open(QFile::encodeName(running + "/.lock").constData(), O_RDONLY);
    QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);
    const QString mine = TempFolder::path();

    TempFolder::sweepLeftovers();
    ::close(held);
    QVERIFY(!QFileInfo::exists(killed));
    for (const QString &kept : {running + "/plumix87654321.doc", starting + "/.lock.new", other + "/.lock",
                                target + "/keep.doc", mine + "/.lock"})
        QVERIFY2(QFileInfo::exists(kept), qPrintable(kept));
    QVERIFY(QFileInfo(temp.filePath("mistlefold-run-LinKed")).isSymLink());
}

QTEST_GUILESS_MAIN(TempFolderTest)
#include "tst_tempfolder.moc"
