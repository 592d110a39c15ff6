// Work files on one temporary folder shared by programs that run side by side, are killed, or
// run short of space: each program keeps to its own, a killed one's are removed by the next
// start, and a write that runs out of space says so and hands nothing on.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class WorkFoldersTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void twoProgramsAtOnceKeepToTheirOwnFiles();
    void aKilledProgramsDocumentGoesAtTheNextStart();
    void aTemporaryFolderTakenByAnotherUserStopsNothing_data();
    void aTemporaryFolderTakenByAnotherUserStopsNothing();
    void aWriteThatRunsOutOfSpaceHandsNothingOn_data();
    void aWriteThatRunsOutOfSpaceHandsNothingOn();

private:
    // Starts pipeline_child with TEMP at temp and settings of its own; with no temp, TEMP is unset
    // and the system temporary folder is mRoot's "system".
    void start(QProcess &child, const QString &temp, const QStringList &arguments);
    static QStringList linesOf(QProcess &child) { return QString::fromUtf8(child.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts); }
    QStringList leftIn(const QString &folder) const
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir mRoot;
    int mChildren = 0;
};

void WorkFoldersTest::start(QProcess &child, const QString &temp, const QStringList &arguments)
{
    const QString home = mRoot.filePath(QStringLiteral("home-%1").arg(++mChildren));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TEMP", temp);
    if (temp.isEmpty()) {
        environment.remove("TEMP");
        environment.insert("TMPDIR", mRoot.filePath("system"));
    }
    environment.insert("XDG_CONFIG_HOME", home + "/config");
    environment.insert("XDG_CACHE_HOME", home + "/cache");
    environment.insert("XDG_RUNTIME_DIR", home);
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    QDir().mkpath(home);
    QDir().mkpath(temp.isEmpty() ? mRoot.filePath("system") : temp);
    child.setProcessEnvironment(environment);
    const QString program = QCoreApplication::applicationDirPath() + "/pipeline_child";
    child.start(program, arguments);
}

// In 1 of 9 near-simultaneous starts one program deleted the other's page picture ("File not
// found" at line 202, an empty preview), or its template.
void WorkFoldersTest::twoProgramsAtOnceKeepToTheirOwnFiles()
{
    const QString temp = mRoot.filePath("shared");
    QProcess first;
    QProcess second;
    start(first, temp, {"runs", "100"});
    start(second, temp, {"runs", "100"});
    QVERIFY(first.waitForFinished(60000) && second.waitForFinished(60000));
    const QStringList expected{"picture 400x500", "document plumix*.doc", "left plumix*.doc", "done"};
    QCOMPARE(linesOf(first), expected);
    QCOMPARE(linesOf(second), expected);
    QCOMPARE(leftIn(temp), QStringList());
}

// A filled document holds the user's details: one left in the temporary folder by a program
// killed while it previewed it goes at the next start, rather than staying for good.
void WorkFoldersTest::aKilledProgramsDocumentGoesAtTheNextStart()
{
    const QString temp = mRoot.filePath("killed");
    QProcess killed;
    start(killed, temp, {"hold"});
    QString document;
    while (document.isEmpty() && killed.waitForReadyRead(20000)) {
        const QString line = QString::fromUtf8(killed.readLine()).trimmed();
        if (line.startsWith("ready "))
            document = line.mid(6);
    }
    QVERIFY(QFileInfo(document).isFile());
    killed.kill(); // SIGKILL: no clean-up runs
    QVERIFY(killed.waitForFinished());
    QVERIFY(QFileInfo(document).isFile());

    QProcess next;
    start(next, temp, {"runs", "0"});
    QVERIFY(next.waitForFinished(20000));
    QCOMPARE(linesOf(next).last(), QStringLiteral("done"));
    QVERIFY(!QFileInfo::exists(QFileInfo(document).path()));
    QCOMPARE(leftIn(temp), QStringList());
}

// Another user may make <system temp>/mistlefold-<uid> first, a folder of theirs or a link; that
// must not make every generation fail ("cannot be used safely") for as long as it stands.
void WorkFoldersTest::aTemporaryFolderTakenByAnotherUserStopsNothing_data()
{
    QTest::addColumn<bool>("link"); // else a folder of another user's
    QTest::newRow("a link") << true;
    QTest::newRow("another user's folder") << false;
}

void WorkFoldersTest::aTemporaryFolderTakenByAnotherUserStopsNothing()
{
    QFETCH(bool, link);
    const QString system = mRoot.filePath("system");
    const QString taken = system + "/mistlefold-" + QString::number(::getuid());
    QDir().mkpath(system);
    QDir().mkpath(mRoot.filePath("elsewhere"));
    if (link)
        QVERIFY(QFile::link(mRoot.filePath("elsewhere"), taken));
    else if (!QDir().mkdir(taken) || ::chown(QFile::encodeName(taken).constData(), 65534, 65534) != 0)
        QSKIP("Only root can give a folder to another user.");
    QProcess child;
    start(child, QString(), {"runs", "1"});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(linesOf(child), QStringList({"picture 400x500", "document plumix*.doc", "left plumix*.doc", "done"}));
    QCOMPARE(leftIn(system).filter("mistlefold"), QStringList{QFileInfo(taken).fileName()});
    QCOMPARE(leftIn(mRoot.filePath("elsewhere")), QStringList());
    QVERIFY(QFile::remove(taken) || QDir().rmdir(taken));
}

void WorkFoldersTest::aWriteThatRunsOutOfSpaceHandsNothingOn_data()
{
    // No file written from the moment given on may grow past the limit: a write there fails part-way,
    // as on a full disk.
    QTest::addColumn<QString>("limit"); // bytes@when: start, template (once it is written) or save
    QTest::addColumn<QString>("report"); // the first report
    QTest::addColumn<QStringList>("end");
    const QString at = QStringLiteral("Disk full in Tinselmark2021/08/31.Form1.%1");
    // The template does not fit.
    QTest::newRow("template") << "131072@start" << at.arg("PushButton6_Click at line 108")
                              << QStringList{"picture 0x0", "document none", "left ", "done"};
    // The template fits, the document does not: the engine leaves it empty and says nothing.
    QTest::newRow("document") << "0@template" << at.arg("SaveDocAsJPG at line 122")
                              << QStringList{"picture 0x0", "document none", "left ", "done"};
    // The 600 KB page picture does not fit: it is reported, never cut off and shown as a black page.
    QTest::newRow("page picture") << "524288@start" << at.arg("SaveDocAsJPG at line 122")
                                  << QStringList{"picture 0x0", "document plumix*.doc", "left plumix*.doc", "done"};
    // Saving the invitation where there is no room: "Disk full", never an access error, and a short
    // write is never taken for a whole one.
    QTest::newRow("saved invitation") << "8@save"
                                      << "Disk full in Tinselmark2021/08/31.Form2.PushButton6_Click at line 126"
                                      << QStringList{"picture 400x500", "document plumix*.doc", "saved nothing",
                                                     "left plumix*.doc", "done"};
}

void WorkFoldersTest::aWriteThatRunsOutOfSpaceHandsNothingOn()
{
    QFETCH(QString, limit);
    QFETCH(QString, report);
    QFETCH(QStringList, end);
    const QString saved = mRoot.filePath(QStringLiteral("saved-%1/invitation.doc").arg(QTest::currentDataTag()));
    QDir().mkpath(QFileInfo(saved).path());
    QProcess child;
    start(child, mRoot.filePath(QStringLiteral("small-%1").arg(QTest::currentDataTag())),
          {"runs", "1", limit.endsWith("@save") ? saved : QString(), limit});
    QVERIFY(child.waitForFinished(60000));
    const QStringList lines = linesOf(child);
    QVERIFY2(!lines.isEmpty() && lines.first() == "report " + report,
             qPrintable(lines.join('\n') + QString::fromLocal8Bit(child.readAllStandardError())));
    QVERIFY2(!lines.join('\n').contains("Path/File access error"), qPrintable(lines.join('\n')));
    QCOMPARE(lines.mid(lines.size() - end.size()), end);
    QCOMPARE(leftIn(QFileInfo(saved).path()), QStringList());
}

QTEST_GUILESS_MAIN(WorkFoldersTest)
#include "tst_workfolders.moc"
