// "Save Results To Word File": the Save dialog's settings, the overwrite question, the byte-for-
// byte copy or the PDF, "Done.", and failed saves that keep the user's existing file.
#include "Controls.h"
#include "HeldToPermissions.h"
#include "ScriptedWordServer.h"
#include "TestFixture.h"
#include "automation/CreateObject.h"
#include "preview/Form2.h"
#include "shell/AppInfo.h"

#include <QDir>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A document with every byte value, so that any text-mode or truncating copy shows.
QByteArray documentBytes()
{
    QByteArray bytes;
    for (int round = 0; round < 3000; ++round)
        for (int value = 0; value < 256; ++value)
            bytes.append(char((value * 7 + round) & 0xff));
    return bytes;
}

const QString Done = QStringLiteral("Done.");
const QString WordFiles = QStringLiteral("Word Files (*.doc)");
const QString PdfFiles = QStringLiteral("PDF Files (*.pdf)");

} // namespace

class SaveTest : public TestFixture
{
    Q_OBJECT

    QString target(const QString &name) const { return QDir(destination.path()).filePath(name); }
    QStringList destinationFiles() const
    {
        return QDir(destination.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    void save(const QString &chosen, const QString &filter = WordFiles)
    {
        dialogs->names.enqueue(chosen);
        dialogs->filters.enqueue(filter);
        QTest::mouseClick(control(*form, "PushButton6"), Qt::LeftButton);
    }

    QWidget mainWindow;
    std::unique_ptr<Form2> form;
    QTemporaryDir destination;
    // The document engine a PDF is made by; a .doc save never touches it.
    std::unique_ptr<ScriptedWordServer> engine;

private slots:
    void init()
    {
        TestFixture::init();
        form = std::make_unique<Form2>(&mainWindow);
        form->setWordFile(QDir(environment->tempFolder()).filePath(QStringLiteral("plumix24681357.doc")));
        writeAll(form->wordFile(), documentBytes());
        QVERIFY(destination.isValid());
        engine = std::make_unique<ScriptedWordServer>();
        engine->registerAs(WordProgId);
        engine->content.stories = {QStringLiteral("Christmas party at the home of Ilse and Bram Ketterly")};
    }
    void cleanup()
    {
        QFile::setPermissions(destination.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        for (const QString &name : destinationFiles())
            QFile::remove(target(name));
        form.reset();
        engine.reset();
        TestFixture::cleanup();
    }

    void cancellingCopiesNothingAndSaysDone()
    {
        save(QString());
        QCOMPARE(dialogs->shown.size(), 1);
        QCOMPARE(dialogs->shown[0].fileName, QString());
        QCOMPARE(dialogs->shown[0].title, QStringLiteral("Save File"));
        QCOMPARE(dialogs->shown[0].filter, QStringLiteral("Word Files (*.doc)|*.doc|PDF Files (*.pdf)|*.pdf"));
        QCOMPARE(boxes->texts(), QStringList{Done});
        QCOMPARE(boxes->shown[0].title, AppInfo::appTitle());
        QCOMPARE(destinationFiles(), QStringList());
    }

    void aNewFileIsAByteForByteCopy()
    {
        save(target(QStringLiteral("invite.doc")));
        QCOMPARE(readAll(target(QStringLiteral("invite.doc"))), documentBytes());
        QCOMPARE(boxes->texts(), QStringList{Done});
        // A name typed without an extension is used as typed.
        save(target(QStringLiteral("invite")));
        QCOMPARE(readAll(target(QStringLiteral("invite"))), documentBytes());
        QCOMPARE(destinationFiles(), (QStringList{QStringLiteral("invite"), QStringLiteral("invite.doc")}));
        // The document stays for further saves; the dialog's name starts empty every time.
        QCOMPARE(readAll(form->wordFile()), documentBytes());
        QCOMPARE(dialogs->shown[1].fileName, QString());
        // A copy never starts the document engine.
        QCOMPARE(engine->log, QStringList());
    }

    // The PDF entry, or a name ending in ".pdf" under either entry, gives a PDF made by the
    // engine from the filled document; any other name under the Word entry a copy.
    void theChosenFormatIsWritten_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("pdf");
        QTest::newRow("PDF entry, name without extension") << "invite" << PdfFiles << true;
        QTest::newRow("PDF entry, .pdf name") << "invite.pdf" << PdfFiles << true;
        QTest::newRow("Word entry, .pdf name") << "invite.pdf" << WordFiles << true;
        QTest::newRow("Word entry, .PDF name") << "INVITE.PDF" << WordFiles << true;
        QTest::newRow("Word entry, name with pdf inside") << "invite.pdf.doc" << WordFiles << false;
    }
    void theChosenFormatIsWritten()
    {
        QFETCH(QString, name);
        QFETCH(QString, filter);
        QFETCH(bool, pdf);
        save(target(name), filter);
        QCOMPARE(boxes->texts(), QStringList{Done});
        QCOMPARE(destinationFiles(), QStringList{name});
        const QByteArray written = readAll(target(name));
        if (pdf) {
            QVERIFY2(written.startsWith("%PDF-1.4 scripted\nChristmas party at the home of Ilse and Bram Ketterly"),
                     written.left(80).constData());
            QCOMPARE(engine->logOf(QStringLiteral("Documents.Open")),
                     QStringList{"Documents.Open(" + form->wordFile() + ",ReadOnly:=True)"});
            QCOMPARE(engine->logOf(QStringLiteral("Document.ExportAsFixedFormat")).size(), 1);
        } else {
            QCOMPARE(written, documentBytes());
            QCOMPARE(engine->log, QStringList());
        }
    }

    void answeringNoKeepsTheExistingFile()
    {
        const QString chosen = target(QStringLiteral("invite.doc"));
        writeAll(chosen, "the guest list");
        boxes->answers.enqueue(MessageBoxes::No);
        save(chosen);
        QCOMPARE(boxes->shown.size(), 2);
        const MessageBoxes::Message question = boxes->shown[0];
        QCOMPARE(question.text, QStringLiteral("Are you sure you wish to overwrite ") + chosen + QStringLiteral(" ?"));
        QCOMPARE(question.buttons, MessageBoxes::Buttons::YesNo);
        QCOMPARE(question.icon, MessageBoxes::Icon::None);
        QCOMPARE(question.title, AppInfo::appTitle());
        QCOMPARE(boxes->shown[1].text, Done);
        QCOMPARE(readAll(chosen), QByteArray("the guest list"));
    }

    void answeringYesReplacesTheExistingFile()
    {
        const QString chosen = target(QStringLiteral("invite.doc"));
        writeAll(chosen, "last year's invitation, longer than nothing at all");
        boxes->answers.enqueue(MessageBoxes::Yes);
        save(chosen);
        QCOMPARE(boxes->texts().last(), Done);
        QCOMPARE(boxes->reports(), QStringList());
        QCOMPARE(readAll(chosen), documentBytes());
        QCOMPARE(destinationFiles(), QStringList{QStringLiteral("invite.doc")});
    }

    // A failed copy must neither cost the user the file they chose to replace nor leave pieces
    // behind, and must not be followed by "Done.".
    void aFailedCopyKeepsTheOldFileAndSaysNotDone_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("documentGone");
        QTest::addColumn<QString>("description");
        QTest::newRow("document gone, over an existing file") << "invite.doc" << true << "File not found";
        QTest::newRow("folder missing") << "missing/invite.doc" << false << "Path not found";
        QTest::newRow("folder is a file") << "invite.doc/invite.doc" << false << "Path not found";
    }
    void aFailedCopyKeepsTheOldFileAndSaysNotDone()
    {
        QFETCH(QString, name);
        QFETCH(bool, documentGone);
        QFETCH(QString, description);
        writeAll(target(QStringLiteral("invite.doc")), "the guest list");
        if (documentGone)
            QFile::remove(form->wordFile());
        save(target(name));
        QCOMPARE(boxes->reports().size(), 1);
        QVERIFY2(boxes->reports()[0].startsWith(description
                                                + QStringLiteral("\r\nin Tinselmark2021/08/31.Form2.PushButton6_Click at line 126\r\r")),
                 qPrintable(boxes->reports()[0]));
        QVERIFY(!boxes->texts().contains(Done));
        QCOMPARE(readAll(target(QStringLiteral("invite.doc"))), QByteArray("the guest list"));
        QCOMPARE(destinationFiles(), QStringList{QStringLiteral("invite.doc")});
    }

    // The engine failing to make the PDF: its report, the user's earlier PDF as it was, nothing
    // left beside it, and no "Done.".
    void aFailedPdfExportKeepsTheOldFileAndSaysNotDone()
    {
        const QString chosen = target(QStringLiteral("invite.pdf"));
        writeAll(chosen, "last year's invitation");
        engine->fail(QStringLiteral("Document.ExportAsFixedFormat"), QStringLiteral("The PDF could not be written."));
        boxes->answers.enqueue(MessageBoxes::Yes);
        save(chosen, PdfFiles);
        QCOMPARE(boxes->reports().size(), 1);
        QVERIFY2(boxes->reports()[0].startsWith(QStringLiteral(
                     "The PDF could not be written.\r\nin Tinselmark2021/08/31.Form2.PushButton6_Click at line 126\r\r")),
                 qPrintable(boxes->reports()[0]));
        QVERIFY(!boxes->texts().contains(Done));
        QCOMPARE(readAll(chosen), QByteArray("last year's invitation"));
        QCOMPARE(destinationFiles(), QStringList{QStringLiteral("invite.pdf")});
        QCOMPARE(engine->applicationsQuit, 1);
    }

    void aReadOnlyFolderKeepsTheOldFile()
    {
        const QString chosen = target(QStringLiteral("invite.doc"));
        writeAll(chosen, "the guest list");
        QFile::setPermissions(destination.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        {
            const HeldToPermissions permissions;
            if (!permissions.held())
                QSKIP("root cannot be held to permissions here, and writes into read-only folders");
            save(chosen);
        }
        QCOMPARE(boxes->reports().size(), 1);
        QVERIFY(boxes->reports()[0].startsWith(QStringLiteral("Permission denied\r\n")));
        QVERIFY(!boxes->texts().contains(Done));
        QCOMPARE(readAll(chosen), QByteArray("the guest list"));
        QCOMPARE(destinationFiles(), QStringList{QStringLiteral("invite.doc")});
    }
};

QTEST_MAIN(SaveTest)
#include "tst_save.moc"
