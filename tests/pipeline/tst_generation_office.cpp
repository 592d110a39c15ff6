// The whole way through with the real office: sample data, "Start Creating Template" pressed
// while the office is still starting, the preview of the filled page, and the invitation saved
// through the Save dialog, as a document, as a PDF and as a picture, and read back; and the advice, alone, when
// the office cannot start.
#include "Controls.h"
#include "OfficeReadBack.h"
#include "Poppler.h"
#include "TestFixture.h"
#include "details/Form1.h"
#include "generation/IsInstalled.h"
#include "generation/PageSharpening.h"
#include "generation/TempFolder.h"
#include "office/OfficeEngine.h"
#include "office/OfficeModule.h"
#include "preview/Form2.h"
#include "preview/PictureBox.h"
#include "preview/Viewport.h"
#include "shell/Program.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

class GenerationOfficeTest : public TestFixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        registerOfficeEngine();
        PageSharpening::setRenderer(&renderFirstPage);
    }
    void cleanup()
    {
        // The office writes its profile as it ends: it ends before the private folders go.
        shutdownOfficeEngine();
        TestFixture::cleanup();
    }
    void sampleInvitationIsPreviewedSavedAndReadBack();
    void impossiblyLongValueEndsInThePreviewNamingItsField();
    void officeThatCannotStartShowsTheAdviceAlone_data();
    void officeThatCannotStartShowsTheAdviceAlone();
};

void GenerationOfficeTest::sampleInvitationIsPreviewedSavedAndReadBack()
{
    Form1 form;
    QVERIFY(!Program::hasEnded());
    // The office starts in the background; the click waits for it and succeeds.
    QCOMPARE(officeModule().processId(), 0);
    form.show();
    control<QPushButton>(form, "PushButton4")->click();
    control<QPushButton>(form, "PushButton6")->click();

    QCOMPARE(boxes->texts(), QStringList());
    QVERIFY(!form.isBusy());
    QVERIFY(form.isHidden());
    QVERIFY(form.preview());
    Form2 &preview = *form.preview();
    QVERIFY(preview.isVisible());

    // Of the work files only the filled document is left, in the program's work folder.
    QStringList files = QDir(TempFolder::path()).entryList(QDir::Files | QDir::Hidden);
    files.removeOne(".lock");
    QCOMPARE(files.size(), 1);
    QVERIFY2(QRegularExpression("^plumix[1-9]{8}\\.doc$").match(files[0]).hasMatch(), qPrintable(files[0]));
    const QString document = TempFolder::file(files[0]);
    QCOMPARE(preview.wordFile(), document);

    // The preview holds a picture of the filled Letter page, at least as fine as the screen.
    const QImage page = control<PictureBox>(preview, "Zoom_Ori")->picture();
    QVERIFY(!page.isNull());
    QCOMPARE(qRound(page.width() * 3780.0 / page.dotsPerMeterX()), 816);
    QVERIFY(page.width() >= 816);
    int coloured = 0;
    for (int y = 0; y < page.height(); y += 8)
        for (int x = 0; x < page.width(); x += 8)
            coloured += qGray(page.pixel(x, y)) < 200;
    QVERIFY2(coloured > 500, "the page picture is blank");

    // Sharpened to twice the density in the background; the view stays as it was.
    const QRect box = control<PictureBox>(preview, "Picture1")->geometry();
    const float zoom = preview.viewport().state().mZoom;
    QTRY_VERIFY_WITH_TIMEOUT(control<PictureBox>(preview, "Zoom_Ori")->picture().width() >= 2 * page.width(), 20000);
    const QImage sharp = control<PictureBox>(preview, "Zoom_Ori")->picture();
    QCOMPARE(qRound(sharp.width() * 3780.0 / sharp.dotsPerMeterX()), 816);
    QCOMPARE(control<PictureBox>(preview, "Picture1")->geometry(), box);
    QCOMPARE(preview.viewport().state().mZoom, zoom);

    // Saved through the dialog: a byte-for-byte copy.
    const QString saved = environment->root() + "/Ketterly party.doc";
    dialogs->names.enqueue(saved);
    control<QPushButton>(preview, "PushButton6")->click();
    QCOMPARE(boxes->texts(), QStringList{"Done."});
    QFile original(document);
    QFile copy(saved);
    QVERIFY(original.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), original.readAll());

    // Read back by a separate office: every value, no placeholder.
    QString error;
    const QList<TextRun> runs = OfficeReadBack(environment->root() + "/reader").read(saved, &error);
    QVERIFY2(!runs.isEmpty(), qPrintable(error));
    QString text;
    for (const TextRun &run : runs)
        text += run.text + QLatin1Char('\n');
    for (const char *value : {"Ilse and Bram Ketterly", "417 Larkspur Avenue, North Vellmont, WA",
                              "December 8, at 7:30 P.M."})
        QVERIFY2(text.contains(QLatin1String(value)), value);
    for (const char *placeholder : {"[GivenBy]", "[City]", "[Address]", "[State]", "[Date]", "[Time]"})
        QVERIFY2(!text.contains(QLatin1String(placeholder), Qt::CaseInsensitive), placeholder);

    // Saved again through the same command, as a PDF: one page of the template's size (Letter),
    // every value in its text, every font inside the file.
    const QString pdf = environment->root() + "/Ketterly party.pdf";
    dialogs->names.enqueue(pdf);
    dialogs->filters.enqueue("PDF Files (*.pdf)");
    control<QPushButton>(preview, "PushButton6")->click();
    QCOMPARE(boxes->texts(), (QStringList{"Done.", "Done."}));
    const QString info = popplerOutput("pdfinfo", {pdf});
    QVERIFY2(info.contains(QRegularExpression("Pages:\\s+1\\n")), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression("Page size:\\s+612 x 792 pts")), qPrintable(info));
    const QString pdfText = popplerOutput("pdftotext", {pdf, "-"}).simplified();
    for (const char *value : {"Ilse and Bram Ketterly", "417 Larkspur Avenue, North Vellmont, WA",
                              "December 8, at 7:30 P.M."})
        QVERIFY2(pdfText.contains(QLatin1String(value)), value);
    const QStringList fonts = pdfFonts(pdf);
    QVERIFY(!fonts.isEmpty());
    for (const QString &font : fonts)
        QVERIFY2(isEmbedded(font), qPrintable(font));

    // As a picture: the page at 300 dpi, rendered from the document, looking like the preview's
    // sharp page enlarged (dark and light in the same places).
    const QString png = environment->root() + "/Ketterly party";
    dialogs->names.enqueue(png);
    dialogs->filters.enqueue("PNG Image (*.png)");
    control<QPushButton>(preview, "PushButton6")->click();
    QCOMPARE(boxes->texts(), (QStringList{"Done.", "Done.", "Done."}));
    const QImage picture(png + ".png", "PNG");
    QCOMPARE(picture.size(), QSize(2550, 3300));
    // Both at a sixth of the picture's size, so that anti-aliased edges count for little.
    const QSize small = picture.size() / 6;
    const QImage fromFile = picture.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage fromPreview = sharp.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int ink = 0;
    int differing = 0;
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x) {
            const int gray = qGray(fromFile.pixel(x, y));
            ink += gray < 160;
            differing += qAbs(gray - qGray(fromPreview.pixel(x, y))) > 64;
        }
    QVERIFY2(ink > 2000 && differing < ink / 20, qPrintable(QString("%1 of %2").arg(differing).arg(ink)));

    // Going back removes the filled document; the saved copy stays.
    control<QPushButton>(preview, "PushButton8")->click();
    QVERIFY(!QFile::exists(document));
    QVERIFY(QFile::exists(saved) && QFile::exists(pdf) && QFile::exists(png + ".png"));
    QVERIFY(form.isVisible());
}

void GenerationOfficeTest::impossiblyLongValueEndsInThePreviewNamingItsField()
{
    Form1 form;
    form.show();
    control<QPushButton>(form, "PushButton4")->click();
    control<QLineEdit>(form, "Text1_2")->setText(QString(2000, QLatin1Char('x')));
    bool previewShown = false;
    boxes->onShow = [&](const MessageBoxes::Message &) { previewShown = form.preview() && form.preview()->isVisible(); };
    control<QPushButton>(form, "PushButton6")->click();
    QCOMPARE(boxes->texts(),
             QStringList{"The Street Address is too long to show in full on the invitation. Please shorten it."});
    QVERIFY(previewShown);
    QVERIFY(!control<PictureBox>(*form.preview(), "Zoom_Ori")->picture().isNull());
}

void GenerationOfficeTest::officeThatCannotStartShowsTheAdviceAlone_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("atOnce");
    QTest::addColumn<bool>("click");
    QTest::addColumn<QString>("cause");
    QTest::newRow("office missing") << "/nonexistent/soffice.bin" << true << false << "/nonexistent/soffice.bin is missing";
    // An office that ends as soon as it starts: known only once the start has failed.
    QTest::newRow("office ends at once") << "/bin/false" << false << false << "";
    QTest::newRow("office ends while a click waits") << "/bin/false" << false << true << "";
}

void GenerationOfficeTest::officeThatCannotStartShowsTheAdviceAlone()
{
    QFETCH(QString, program);
    QFETCH(bool, atOnce);
    QFETCH(bool, click);
    QFETCH(QString, cause);
    shutdownOfficeEngine();
    officeModule().setOfficeProgram(program);
    {
        Form1 form;
        QCOMPARE(Program::hasEnded(), atOnce);
        if (!atOnce) {
            form.show();
            if (click)
                control<QPushButton>(form, "PushButton6")->click();
            QTRY_VERIFY(Program::hasEnded());
        }
        QVERIFY(!form.isVisible());
    }
    officeModule().setOfficeProgram(QString());
    QCOMPARE(boxes->shown.size(), 1);
    const QString advice = boxes->shown[0].text;
    QVERIFY2(advice.split("\r\n")[1].contains(cause), qPrintable(advice));
    QCOMPARE(advice, EngineAdvice(officeEngineFailureCause()));
    QCOMPARE(officeModule().processId(), 0);
}

QTEST_MAIN(GenerationOfficeTest)
#include "tst_generation_office.moc"
