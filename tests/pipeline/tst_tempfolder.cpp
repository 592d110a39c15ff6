// Where the work files go: TEMP when set, otherwise a private folder that nobody else can plant
// files in or redirect.
#include "TestFixture.h"
#include "generation/TempFolder.h"
#include "shell/RuntimeError.h"

#include <QtTest>

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
    void privateFolderThatIsALinkIsRefused();
    void privateFolderOfAnotherUserIsRefused();
    void emptyPrivateFolderIsRemovedAtTheEnd();

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
    QCOMPARE(TempFolder::path(), environment->tempFolder());
    QCOMPARE(TempFolder::file("temp.bmp"), environment->tempFolder() + "/temp.bmp");
    qunsetenv("TEMP");
    qputenv("temp", "/some/where");
    QCOMPARE(TempFolder::path(), QStringLiteral("/some/where"));
    qunsetenv("temp");
}

void TempFolderTest::privateFolderIsMadeWithOwnerOnlyAccess()
{
    qputenv("TEMP", ""); // set but empty counts as unset
    QCOMPARE(TempFolder::path(), privateFolder());
    struct stat info {};
    QCOMPARE(::lstat(QFile::encodeName(privateFolder()).constData(), &info), 0);
    QVERIFY(S_ISDIR(info.st_mode));
    QCOMPARE(info.st_mode & 0777, mode_t(0700));

    // A folder of ours that others could enter is closed again.
    ::chmod(QFile::encodeName(privateFolder()).constData(), 0777);
    QCOMPARE(TempFolder::path(), privateFolder());
    QCOMPARE(::lstat(QFile::encodeName(privateFolder()).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, mode_t(0700));
}

void TempFolderTest::privateFolderThatIsALinkIsRefused()
{
    qunsetenv("TEMP");
    QTemporaryDir elsewhere;
    QVERIFY(QFile::link(elsewhere.path(), privateFolder()));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, TempFolder::path());
    QVERIFY_THROWS_EXCEPTION(RuntimeError, TempFolder::file("template.dot"));
}

void TempFolderTest::privateFolderOfAnotherUserIsRefused()
{
    qunsetenv("TEMP");
    QVERIFY(QDir().mkdir(privateFolder()));
    if (::chown(QFile::encodeName(privateFolder()).constData(), getuid() + 1, getgid()) != 0)
        QSKIP("only root can give a folder to another user");
    QVERIFY_THROWS_EXCEPTION(RuntimeError, TempFolder::path());
}

void TempFolderTest::emptyPrivateFolderIsRemovedAtTheEnd()
{
    qunsetenv("TEMP");
    const QString folder = TempFolder::path();
    QFile file(folder + "/plumix12345678.doc");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    TempFolder::removePrivateFolderIfEmpty();
    QVERIFY(QFileInfo::exists(folder)); // the user's document is still inside
    QVERIFY(file.remove());
    TempFolder::removePrivateFolderIfEmpty();
    QVERIFY(!QFileInfo::exists(folder));
}

QTEST_GUILESS_MAIN(TempFolderTest)
#include "tst_tempfolder.moc"
