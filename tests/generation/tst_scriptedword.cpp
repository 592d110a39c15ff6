#include "ScriptedWordServer.h"
#include "TestDoubles.h"

#include "automation/CreateObject.h"
#include "shell/RuntimeError.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QTest>

// The scripted "Word.Application" that the pipeline's tests drive instead of the office: what it
// records, the files it writes, and the failures it is told to give.
class ScriptedWordTest : public QObject
{
    Q_OBJECT

private slots:
    void recordsADocumentsLifeAndWritesWhatItSaves()
    {
        TestEnvironment environment;
        ScriptedWordServer server;
        server.registerAs(QStringLiteral("Word.Application"));
        const QString source = environment.tempFolder() + QStringLiteral("/template.dot");
        QFile(source).open(QIODevice::WriteOnly);
        const QString saved = environment.tempFolder() + QStringLiteral("/plumix12345678.doc");

        const Object word = CreateObject(QStringLiteral("Word.Application"));
        const Object document = word.object(QStringLiteral("Documents"))
                                    .call(QStringLiteral("Open"), {source}, {{QStringLiteral("ReadOnly"), true}})
                                    .toObject();
        document.call(QStringLiteral("SaveAs"), {saved});
        word.set(QStringLiteral("DisplayAlerts"), false);
        document.call(QStringLiteral("Close"));
        word.call(QStringLiteral("Quit"));

        QCOMPARE(server.log, (QStringList{"CreateObject", "Application.Documents",
                                          "Documents.Open(" + source + ",ReadOnly:=True)",
                                          "Document.SaveAs(" + saved + ")", "Application.DisplayAlerts=False",
                                          "Document.Close()", "Application.Quit()"}));
        QVERIFY(QFile::exists(saved));
        QCOMPARE(server.documents.size(), 1);
        QVERIFY(server.documents.first()->readOnly);
        QCOMPARE(server.documents.first()->savedAs, QStringList{saved});
        QCOMPARE(server.applicationsQuit, 1);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, word.object(QStringLiteral("Documents")));
    }

    void copiesItsPictureAndFindsTheActiveDocument()
    {
        TestEnvironment environment;
        ScriptedWordServer server;
        const QString path = environment.tempFolder() + QStringLiteral("/a.doc");
        QFile(path).open(QIODevice::WriteOnly);
        const Object word = CreateObject(ScriptedWordServer::ProgId);
        word.object(QStringLiteral("Documents")).call(QStringLiteral("Open"), {path});
        word.object(QStringLiteral("ActiveDocument")).call(QStringLiteral("Range")).toObject().call(QStringLiteral("CopyAsPicture"));
        QCOMPARE(QGuiApplication::clipboard()->image().size(), server.picture.size());
        word.object(QStringLiteral("ActiveDocument")).call(QStringLiteral("Close"), {}, {{QStringLiteral("savechanges"), qint16(0)}});
        QVERIFY(server.documents.first()->closed);
        QCOMPARE(server.log.last(), QStringLiteral("Document.Close(savechanges:=0%)"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, word.object(QStringLiteral("ActiveDocument")));
    }

    void failsOnRequest()
    {
        TestEnvironment environment;
        ScriptedWordServer server;
        server.failCreateObject(QStringLiteral("Word is not installed"), 1);
        try {
            CreateObject(ScriptedWordServer::ProgId);
            QFAIL("created");
        } catch (const RuntimeError &error) {
            QCOMPARE(error.description(), QStringLiteral("Word is not installed"));
        }
        const Object word = CreateObject(ScriptedWordServer::ProgId); // only once
        server.fail(QStringLiteral("Application.Documents"), QStringLiteral("Busy"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, word.object(QStringLiteral("Documents")));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, word.object(QStringLiteral("Documents")));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, word.get(QStringLiteral("Visible")));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, CreateObject(QStringLiteral("Word.Application"))); // not registered there
    }
};

QTEST_MAIN(ScriptedWordTest)
#include "tst_scriptedword.moc"
