#include "ScriptedWordServer.h"
#include "TestDoubles.h"

#include "automation/CreateObject.h"
#include "shell/ProgramClipboard.h"
#include "shell/RuntimeError.h"

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
        QCOMPARE(ProgramClipboard::image().size(), server.picture.size());
        word.object(QStringLiteral("ActiveDocument")).call(QStringLiteral("Close"), {}, {{QStringLiteral("savechanges"), qint16(0)}});
        QVERIFY(server.documents.first()->closed);
        QCOMPARE(server.log.last(), QStringLiteral("Document.Close(savechanges:=0%)"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, word.object(QStringLiteral("ActiveDocument")));
    }

    void measuresAndSizesTextAndExportsPdf()
    {
        TestEnvironment environment;
        ScriptedWordServer server;
        ScriptedShape shape{QStringLiteral("Springfield"), std::nullopt};
        shape.fontSize = 20;
        shape.capacity = 11 * 15;
        server.content.shapes = {shape};
        server.content.stories = {QStringLiteral("Main text")};
        const QString path = environment.tempFolder() + QStringLiteral("/a.doc");
        QFile(path).open(QIODevice::WriteOnly);
        const Object document = CreateObject(ScriptedWordServer::ProgId).object(QStringLiteral("Documents")).call(QStringLiteral("Open"), {path}).toObject();
        const Object frame = document.object(QStringLiteral("Shapes")).enumerate().first().toObject().object(QStringLiteral("TextFrame"));
        const Object font = frame.object(QStringLiteral("TextRange")).object(QStringLiteral("Font"));
        server.log.clear();
        QVERIFY(frame.get(QStringLiteral("Overflowing")).toBool());
        QCOMPARE(font.get(QStringLiteral("Size")).toDouble(), 20.0);
        font.set(QStringLiteral("Size"), 14.8); // to the nearest half point
        QVERIFY(!frame.get(QStringLiteral("Overflowing")).toBool());
        QCOMPARE(frame.object(QStringLiteral("TextRange")).get(QStringLiteral("Text")).toString(), QStringLiteral("Springfield"));
        const QString pdf = environment.tempFolder() + QStringLiteral("/a.pdf");
        document.call(QStringLiteral("ExportAsFixedFormat"), {pdf, qint32(17)});
        QCOMPARE(server.log, (QStringList{"TextFrame.Overflowing", "Font.Size", "Font.Size=14.8", "TextFrame.Overflowing",
                                          "TextFrame.TextRange", "Range.Text", "Document.ExportAsFixedFormat(" + pdf + ",17&)"}));
        QCOMPARE(server.documents.first()->content.shapes.first().fontSize, 15.0);
        QCOMPARE(server.documents.first()->exportedAs, QStringList{pdf});
        QFile exported(pdf);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QCOMPARE(exported.readAll(), QByteArray("%PDF-1.4 scripted\nMain text"));
        // Only PDF; sizes a document can hold; and failures on request, here and after some uses.
        QVERIFY_THROWS_EXCEPTION(RuntimeError, document.call(QStringLiteral("ExportAsFixedFormat"), {pdf, qint32(18)}));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, font.set(QStringLiteral("Size"), 0.0));
        server.fail(QStringLiteral("Font.Size"), QStringLiteral("Busy"), 1, 1);
        font.get(QStringLiteral("Size"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, font.get(QStringLiteral("Size")));
        font.get(QStringLiteral("Size"));
        server.fail(QStringLiteral("TextFrame.Overflowing"), QStringLiteral("Busy"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, frame.get(QStringLiteral("Overflowing")));
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
