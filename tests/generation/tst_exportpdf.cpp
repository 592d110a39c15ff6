#include "generation/ExportPdf.h"

#include "ScriptedWordServer.h"
#include "TestDoubles.h"

#include "generation/TempFolder.h"
#include "shell/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

// The PDF export against the scripted server: what it asks of the engine, and that a failure at
// any step leaves an existing file at the destination as it was and nothing else behind.
class ExportPdfTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> environment;
    std::unique_ptr<ScriptedWordServer> server;
    QString documentPath;
    QString folder;      // the user's folder the PDF goes to
    QString destination; // holds an earlier file

    static QByteArray contentOf(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init()
    {
        environment = std::make_unique<TestEnvironment>();
        server = std::make_unique<ScriptedWordServer>();
        server->registerAs(QStringLiteral("Word.Application"));
        server->content.stories = {QStringLiteral("Christmas party at the home of The Hollies")};
        documentPath = environment->tempFolder() + QStringLiteral("/plumix12345678.doc");
        QFile document(documentPath);
        QVERIFY(document.open(QIODevice::WriteOnly));
        folder = environment->root() + QStringLiteral("/Documents");
        QVERIFY(QDir().mkpath(folder));
        destination = folder + QStringLiteral("/party.pdf");
        QFile earlier(destination);
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("an earlier invitation") > 0);
        earlier.close();
        QVERIFY(earlier.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    }

    void cleanup()
    {
        server.reset();
        environment.reset();
    }

    void exportsAmongTheWorkFilesAndReplacesTheDestinationInOneStep()
    {
        ExportPdf(documentPath, destination);
        QVERIFY(contentOf(destination).startsWith("%PDF-1.4 scripted\nChristmas party at the home of The Hollies"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"party.pdf"});
        QCOMPARE(QFile::permissions(destination) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
        const QStringList expected{
            "CreateObject", "Application.Documents", "Documents.Open(" + documentPath + ",ReadOnly:=True)",
            "Document.ExportAsFixedFormat(OutputFileName:=<staging>,ExportFormat:=17&)", "Document.Close()",
            "Application.Quit()"};
        // The engine writes the PDF among the work files, which it leaves as they were.
        static const QRegularExpression staging(QStringLiteral("OutputFileName:=(.*)/export-[0-9a-f]{8}\\.pdf,"));
        const QRegularExpressionMatch match = staging.match(server->log.value(3));
        QVERIFY2(match.hasMatch(), qPrintable(server->log.value(3)));
        QCOMPARE(match.captured(1), TempFolder::path());
        QCOMPARE(QDir(TempFolder::path()).entryList(QDir::Files), QStringList());
        QStringList log = server->log;
        log[3].replace(QRegularExpression(QStringLiteral("OutputFileName:=[^,]*,")), QStringLiteral("OutputFileName:=<staging>,"));
        QCOMPARE(log, expected);
    }

    void aFailureLeavesTheDestinationAsItWas_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<int>("quits");
        QTest::newRow("the engine cannot start") << "System.CreateObject" << 0;
        QTest::newRow("the document cannot be opened") << "Documents.Open" << 1;
        QTest::newRow("the export") << "Document.ExportAsFixedFormat" << 1;
        QTest::newRow("closing the document") << "Document.Close" << 1;
        QTest::newRow("quitting") << "Application.Quit" << 0;
    }
    void aFailureLeavesTheDestinationAsItWas()
    {
        QFETCH(QString, member);
        QFETCH(int, quits);
        server->fail(member, QStringLiteral("Scripted failure"));
        try {
            ExportPdf(documentPath, destination);
            QFAIL("the export succeeded");
        } catch (const RuntimeError &error) {
            QCOMPARE(error.description(), QStringLiteral("Scripted failure"));
        }
        QCOMPARE(contentOf(destination), QByteArray("an earlier invitation"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"party.pdf"});
        // The instance quits whatever else failed.
        QCOMPARE(server->applicationsQuit, quits);
    }

    void aDestinationThatCannotBeWrittenIsNotExported_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("description");
        QTest::newRow("no such folder") << "/missing/party.pdf" << "Path not found";
        QTest::newRow("a folder") << "" << "Path/File access error";
        QTest::newRow("no name") << "<none>" << "File not found";
    }
    void aDestinationThatCannotBeWrittenIsNotExported()
    {
        QFETCH(QString, path);
        QFETCH(QString, description);
        if (path.isEmpty())
            path = folder;
        else if (path == QLatin1String("<none>"))
            path.clear();
        else
            path.prepend(environment->root());
        try {
            ExportPdf(documentPath, path);
            QFAIL("the export succeeded");
        } catch (const RuntimeError &error) {
            QCOMPARE(error.description(), description);
        }
        QCOMPARE(server->log, QStringList());
    }
};

QTEST_MAIN(ExportPdfTest)
#include "tst_exportpdf.moc"
