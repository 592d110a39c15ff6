// "Save Results To Word File": the Save dialog's settings, the overwrite question, the byte-for-
// byte copy or the PDF, "Done.", and failed saves that keep the user's existing file.
#include "Controls.h"
#include "HeldToPermissions.h"
#include "ScriptedWordServer.h"
#include "TestFixture.h"
#include "automation/CreateObject.h"
#include "generation/PageSharpening.h"
#include "shell/PrintDialogs.h"
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
const QString PngFiles = QStringLiteral("PNG Image (*.png)");

// Stands in for the Print dialog: answers with the choice set, and counts its showings.
class ChosenPrinter : public StandIn<PrintDialogs>
{
public:
    PrintChoice choosePrinter() override
    {
        ++shown;
        return choice;
    }
    PrintChoice choice;
    int shown = 0;
};

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

    // The user's home folder: a fresh one for every test.
    QString home() const { return environment->root() + QStringLiteral("/home"); }

    QByteArray mHome;
    QWidget mainWindow;
    std::unique_ptr<Form2> form;
    QTemporaryDir destination;
    // The document engine a PDF is made by; a .doc save never touches it.
    std::unique_ptr<ScriptedWordServer> engine;
    // The pages the engine rendered, as "document@dots per inch".
    QStringList rendered;

private slots:
    void init()
    {
        TestFixture::init();
        mHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home()));
        QVERIFY(QDir().mkpath(home()));
        form = std::make_unique<Form2>(&mainWindow);
        form->setWordFile(QDir(environment->tempFolder()).filePath(QStringLiteral("plumix24681357.doc")));
        writeAll(form->wordFile(), documentBytes());
        QVERIFY(destination.isValid());
        engine = std::make_unique<ScriptedWordServer>();
        engine->registerAs(WordProgId);
        engine->content.stories = {QStringLiteral("Christmas party at the home of Ilse and Bram Ketterly")};
        rendered.clear();
        PageSharpening::setRenderer([this](const QString &document, double dotsPerInch) {
            rendered.append(document + '@' + QString::number(dotsPerInch));
            QImage page(qRound(8.5 * dotsPerInch), 11 * dotsPerInch, QImage::Format_RGB32);
            page.fill(Qt::white);
            return page;
        });
    }
    void cleanup()
    {
        QDir().mkpath(destination.path());
        QFile::setPermissions(destination.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        for (const QString &name : destinationFiles())
            QFile::remove(target(name));
        PageSharpening::setRenderer(nullptr);
        form.reset();
        engine.reset();
        qputenv("HOME", mHome);
        TestFixture::cleanup();
    }

    // The dialog opens where the last save went, else in Documents, else at home: never in the
    // folder the program was started from, often one the user never saves in.
    void cancellingCopiesNothingAndSaysDone_data()
    {
        QTest::addColumn<bool>("documents");
        QTest::addColumn<bool>("savedBefore");
        QTest::addColumn<bool>("folderGone");
        QTest::addColumn<QString>("folder"); // below the home folder; "*" the destination
        QTest::newRow("a fresh user") << true << false << false << "/Documents";
        QTest::newRow("a fresh user without Documents") << false << false << false << "";
        QTest::newRow("after a save") << true << true << false << "*";
        QTest::newRow("the last save's folder is gone") << true << true << true << "/Documents";
    }
    void cancellingCopiesNothingAndSaysDone()
    {
        QFETCH(bool, documents);
        QFETCH(bool, savedBefore);
        QFETCH(bool, folderGone);
        QFETCH(QString, folder);
        if (documents)
            QVERIFY(QDir(home()).mkdir(QStringLiteral("Documents")));
        if (savedBefore) {
            save(target(QStringLiteral("invite.doc")));
            boxes->shown.clear();
            dialogs->shown.clear();
        }
        if (folderGone)
            QVERIFY(QDir(destination.path()).removeRecursively());
        save(QString());
        QCOMPARE(dialogs->shown.size(), 1);
        QCOMPARE(dialogs->shown[0].folder, folder == "*" ? destination.path() : home() + folder);
        QCOMPARE(dialogs->shown[0].fileName, QString());
        QCOMPARE(dialogs->shown[0].title, QStringLiteral("Save File"));
        QCOMPARE(dialogs->shown[0].filter, QStringLiteral("Word Files (*.doc)|*.doc|PDF Files (*.pdf)|*.pdf|PNG Image (*.png)|*.png"));
        QCOMPARE(boxes->texts(), QStringList{Done});
        QCOMPARE(boxes->shown[0].title, AppInfo::appTitle());
        if (!savedBefore)
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

    // The PDF or PNG entry, or a name ending in ".pdf" or ".png" under any entry, gives a PDF or a
    // 300 dpi picture made by the engine from the filled document; any other name under the Word
    // entry a copy.
    void theChosenFormatIsWritten_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("written");
        // A PDF without its extension is not opened as one by mail programs and other machines.
        QTest::newRow("PDF entry, name without extension") << "invite" << PdfFiles << "pdf" << "invite.pdf";
        QTest::newRow("PDF entry, name with another extension") << "invite.v2" << PdfFiles << "pdf" << "invite.v2";
        QTest::newRow("PDF entry, .pdf name") << "invite.pdf" << PdfFiles << "pdf" << "invite.pdf";
        QTest::newRow("Word entry, .pdf name") << "invite.pdf" << WordFiles << "pdf" << "invite.pdf";
        QTest::newRow("Word entry, .PDF name") << "INVITE.PDF" << WordFiles << "pdf" << "INVITE.PDF";
        QTest::newRow("PNG entry, name without extension") << "invite" << PngFiles << "png" << "invite.png";
        QTest::newRow("Word entry, .PNG name") << "invite.PNG" << WordFiles << "png" << "invite.PNG";
        QTest::newRow("PNG entry, .pdf name") << "invite.pdf" << PngFiles << "pdf" << "invite.pdf";
        QTest::newRow("Word entry, name with pdf inside") << "invite.pdf.doc" << WordFiles << "doc" << "invite.pdf.doc";
    }
    void theChosenFormatIsWritten()
    {
        QFETCH(QString, name);
        QFETCH(QString, filter);
        QFETCH(QString, format);
        QFETCH(QString, written);
        save(target(name), filter);
        QCOMPARE(boxes->texts(), QStringList{Done});
        QCOMPARE(destinationFiles(), QStringList{written});
        const QByteArray bytes = readAll(target(written));
        if (format == "png") {
            QCOMPARE(QImage::fromData(bytes, "PNG").size(), QSize(2550, 3300));
            QCOMPARE(rendered, QStringList{form->wordFile() + "@300"});
            QCOMPARE(engine->applicationsQuit, 1);
        } else if (format == "pdf") {
            QVERIFY2(bytes.startsWith("%PDF-1.4 scripted\nChristmas party at the home of Ilse and Bram Ketterly"),
                     bytes.left(80).constData());
            QCOMPARE(engine->logOf(QStringLiteral("Documents.Open")),
                     QStringList{"Documents.Open(" + form->wordFile() + ",ReadOnly:=True)"});
            QCOMPARE(engine->logOf(QStringLiteral("Document.ExportAsFixedFormat")).size(), 1);
        } else {
            QCOMPARE(bytes, documentBytes());
            QCOMPARE(engine->log, QStringList());
        }
        if (format != "png")
            QCOMPARE(rendered, QStringList());
    }

    // The question names the file that would be replaced, with the extension a PDF gets.
    void answeringNoKeepsTheExistingFile_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("existing");
        QTest::newRow("Word file") << "invite.doc" << WordFiles << "invite.doc";
        QTest::newRow("PDF typed without extension") << "invite" << PdfFiles << "invite.pdf";
        QTest::newRow("PNG typed without extension") << "invite" << PngFiles << "invite.png";
    }
    void answeringNoKeepsTheExistingFile()
    {
        QFETCH(QString, typed);
        QFETCH(QString, filter);
        QFETCH(QString, existing);
        const QString chosen = target(existing);
        writeAll(chosen, "the guest list");
        boxes->answers.enqueue(MessageBoxes::No);
        save(target(typed), filter);
        QCOMPARE(boxes->shown.size(), 2);
        const MessageBoxes::Message question = boxes->shown[0];
        QCOMPARE(question.text, QStringLiteral("Are you sure you wish to overwrite ") + chosen + QStringLiteral(" ?"));
        QCOMPARE(question.buttons, MessageBoxes::Buttons::YesNo);
        QCOMPARE(question.icon, MessageBoxes::Icon::None);
        QCOMPARE(question.title, AppInfo::appTitle());
        QCOMPARE(boxes->shown[1].text, Done);
        QCOMPARE(readAll(chosen), QByteArray("the guest list"));
        QCOMPARE(destinationFiles(), QStringList{existing});
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

    // Ctrl+P: the Print dialog, then the page printed by the engine on the printer chosen, with
    // the copies and the template's page size (Letter, in twips); "Print to file" writes the PDF.
    // A printer failure is reported in words and the preview stays.
    void ctrlPPrintsThroughTheEngine_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("printer");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QStringList>("printed");
        QTest::addColumn<QString>("report");
        const QString asked = "Document.PrintOut(Printer:=Hall Laser,Copies:=3&,Pages:=1,"
                              "PrintZoomPaperWidth:=12240&,PrintZoomPaperHeight:=15840&)";
        QTest::newRow("printer") << true << "Hall Laser" << "" << "" << QStringList{asked} << "";
        QTest::newRow("print to file") << true << "" << "invite.pdf" << "" << QStringList{} << "";
        QTest::newRow("cancelled") << false << "" << "" << "" << QStringList{} << "";
        QTest::newRow("printer stopped") << true << "Hall Laser" << "" << "The printer Hall Laser is not available."
                                         << QStringList{asked} << "The printer Hall Laser is not available.";
    }
    void ctrlPPrintsThroughTheEngine()
    {
        QFETCH(bool, accepted);
        QFETCH(QString, printer);
        QFETCH(QString, file);
        QFETCH(QString, failure);
        QFETCH(QStringList, printed);
        QFETCH(QString, report);
        ChosenPrinter dialog;
        dialog.choice = {accepted, printer, file.isEmpty() ? QString() : target(file), 3};
        if (!failure.isEmpty())
            engine->fail(QStringLiteral("Document.PrintOut"), failure);
        QImage page(816, 1056, QImage::Format_RGB32);
        page.setDotsPerMeterX(3780);
        page.setDotsPerMeterY(3780);
        form->setPicture(page);
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(dialog.shown, 1);
        QCOMPARE(engine->logOf(QStringLiteral("Document.PrintOut")), printed);
        QCOMPARE(engine->applicationsQuit, accepted ? 1 : 0);
        QCOMPARE(destinationFiles(), file.isEmpty() ? QStringList() : QStringList{file});
        QCOMPARE(boxes->reports().size(), report.isEmpty() ? 0 : 1);
        if (!report.isEmpty())
            QVERIFY2(boxes->reports()[0].startsWith(report + "\r\nin Tinselmark2021/08/31.Form2.PrintInvitation at line 102"),
                     qPrintable(boxes->reports()[0]));
        QVERIFY(form->isVisible());
        QCOMPARE(form->MousePointer(), 0);
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
