// "Start Creating Template" end to end against the scripted engine: the work files, the order of
// the engine calls, re-entry and the end of the program during a run, taken names, and every
// failure path ending in the preview.
#include "Controls.h"
#include "ScriptedWordServer.h"
#include "TestFixture.h"
#include "automation/CreateObject.h"
#include "details/Form1.h"
#include "generation/PageSharpening.h"
#include "generation/TempFolder.h"
#include "preview/Form2.h"
#include "preview/PictureBox.h"
#include "preview/Viewport.h"
#include "shell/Program.h"
#include "shell/ProgramClipboard.h"

#include <QAccessible>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSemaphore>
#include <QtTest>

namespace {

const QRegularExpression DocumentName(QStringLiteral("^plumix[1-9]{8}\\.doc$"));

QImage testPage()
{
    QImage page(400, 500, QImage::Format_RGB32);
    page.fill(QColor(250, 245, 230));
    page.setDotsPerMeterX(3780);
    page.setDotsPerMeterY(3780);
    return page;
}

// The same page rendered at twice the density, in one colour: a 1-pixel checkerboard of it and
// white, detail that the first picture lacks.
QImage sharperTestPage(QColor colour)
{
    QImage page(800, 1000, QImage::Format_RGB32);
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            page.setPixelColor(x, y, (x + y) % 2 ? colour : QColor(Qt::white));
    page.setDotsPerMeterX(2 * 3780);
    page.setDotsPerMeterY(2 * 3780);
    return page;
}

void click(const QWidget &window, const QString &button)
{
    control<QPushButton>(window, button)->click();
}

// The preview window's page as the pipeline handed it over, and the picture it keeps for zooming.
QImage page(const Form2 &preview)
{
    return control<PictureBox>(preview, "Picture1")->picture();
}
QImage unscaledPage(const Form2 &preview)
{
    return control<PictureBox>(preview, "Zoom_Ori")->picture();
}

QList<int> lines(const QStringList &reports, const QString &procedure)
{
    static const QRegularExpression at(QStringLiteral("\\.(\\w+) at line (\\d+)\\r\\r"));
    QList<int> result;
    for (const QString &report : reports) {
        const auto match = at.match(report);
        if (match.hasMatch() && match.captured(1) == procedure)
            result.append(match.captured(2).toInt());
    }
    return result;
}

} // namespace

class PipelineTest : public TestFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void runEndsInThePreviewWithOneNewDocument();
    void secondClickDoesNothing_data();
    void secondClickDoesNothing();
    void closingTheMainWindowDuringARunEndsItThere();
    void whatStandsAtTheTemplatesPlace_data();
    void whatStandsAtTheTemplatesPlace();
    void takenDocumentNameIsNeverReused();
    void engineThatCannotStartReportsEachStepAndStillPreviews();
    void failedSnapshotNeverShowsAnOldPicture();
    void nextRunNeverShowsThePreviousPage();
    void sharperPageReplacesTheFirstWithoutMovingTheView();
    void sharperPageOfAnEarlierRunNeverReachesThePreview();
    void aQuickBackNeverHoldsTheOfficeWithASharperPage();
    void valuesTooLongToFitAreNamedOnceThePreviewShows_data();
    void valuesTooLongToFitAreNamedOnceThePreviewShows();

private:
    // The work files in this program's work folder, its lock aside.
    QStringList tempFiles() const
    {
        QStringList files = QDir(TempFolder::path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        files.removeOne(QStringLiteral(".lock"));
        return files;
    }

    QScopedPointer<ScriptedWordServer> mWord;
};

void PipelineTest::init()
{
    TestFixture::init();
    random->values = {0.5, 0.1, 0.3, 0.9, 0.7, 0.2, 0.6, 0.4};
    mWord.reset(new ScriptedWordServer);
    mWord->registerAs(WordProgId);
    mWord->content.stories = {QStringLiteral("[GivenBy] invites you")};
    mWord->content.shapes = {{QStringLiteral("[Date], at [Time]"), {}}, {QStringLiteral("[Address], [City], [State]"), {}}};
    mWord->picture = testPage();
}

void PipelineTest::cleanup()
{
    PageSharpening::setRenderer(nullptr);
    mWord.reset();
    AutomationServers::unregisterServer(WordProgId);
    TestFixture::cleanup();
}

void PipelineTest::runEndsInThePreviewWithOneNewDocument()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("what the user copied"));
    Form1 form;
    form.show();
    click(form, "PushButton4");
    click(form, "PushButton6");

    QVERIFY(boxes->shown.isEmpty());
    QVERIFY(!form.isBusy());
    QVERIFY(form.isHidden());
    QCOMPARE(form.MousePointer(), 0);
    QVERIFY(form.preview());
    Form2 &preview = *form.preview();
    QVERIFY(preview.isVisible());

    const QStringList files = tempFiles();
    QCOMPARE(files.size(), 1);
    QVERIFY2(DocumentName.match(files[0]).hasMatch(), qPrintable(files[0]));
    const QString documentPath = TempFolder::file(files[0]);
    QCOMPARE(QDir(environment->tempFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
    QCOMPARE(preview.wordFile(), documentPath);
    QCOMPARE(unscaledPage(preview).size(), testPage().size());

    // One instance fills and saves, a second one pictures the saved document.
    const QString templatePath = TempFolder::file("template.dot");
    QCOMPARE(mWord->applicationsCreated, 2);
    QCOMPARE(mWord->applicationsQuit, 2);
    QCOMPARE(mWord->documents.size(), 2);
    QCOMPARE(mWord->documents[0]->path, templatePath);
    QVERIFY(mWord->documents[0]->readOnly);
    QCOMPARE(mWord->documents[0]->savedAs, QStringList{documentPath});
    QCOMPARE(mWord->documents[1]->path, documentPath);
    QVERIFY(!mWord->documents[1]->readOnly);
    QVERIFY(mWord->documents[1]->savedAs.isEmpty());
    QCOMPARE(mWord->documents[0]->content.stories[0], QStringLiteral("Ilse and Bram Ketterly invites you"));
    QCOMPARE(mWord->documents[0]->content.shapes[0].text, QStringLiteral("December 8, at 7:30 P.M."));

    // Alerts go off only after the save; the snapshot closes without saving.
    const qsizetype saved = mWord->log.indexOf("Document.SaveAs(" + documentPath + ")");
    QVERIFY(saved > 0);
    QCOMPARE(mWord->log.mid(saved, 4),
             (QStringList{"Document.SaveAs(" + documentPath + ")", "Application.DisplayAlerts=False",
                          "Document.Close()", "Application.Quit()"}));
    QCOMPARE(mWord->log.mid(mWord->log.lastIndexOf("CreateObject")),
             (QStringList{"CreateObject", "Application.Documents", "Documents.Open(" + documentPath + ")",
                          "Document.Range()", "Range.CopyAsPicture()", "Application.ActiveDocument",
                          "Document.Close(savechanges:=0%)", "Application.Quit()"}));
    // The page goes through the program's own clipboard: the user's keeps what they copied.
    QVERIFY(!ProgramClipboard::image().isNull());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("what the user copied"));
    QVERIFY(QGuiApplication::clipboard()->image().isNull());
}

void PipelineTest::secondClickDoesNothing_data()
{
    QTest::addColumn<int>("queuedAt"); // the engine instance whose start queues the second click
    QTest::newRow("delivered while the run yields before writing the template") << 0;
    // The second click of a double click must not run the pipeline again behind the preview, nor
    // report the second preview's missing picture.
    QTest::newRow("delivered after the run, to the hidden window") << 2;
}

void PipelineTest::secondClickDoesNothing()
{
    QFETCH(int, queuedAt);
    Form1 form;
    form.show();
    QPushButton *start = control<QPushButton>(form, "PushButton6");
    const auto queueClick = [start] { QMetaObject::invokeMethod(start, &QPushButton::click, Qt::QueuedConnection); };
    int started = 0;
    AutomationServers::registerServer(WordProgId, [&] {
        if (++started == queuedAt)
            queueClick();
        return CreateObject(ScriptedWordServer::ProgId);
    });
    mWord->applicationsCreated = 0;
    if (queuedAt == 0)
        queueClick();
    start->click();
    QCoreApplication::processEvents();

    QCOMPARE(mWord->applicationsCreated, 2);
    QCOMPARE(tempFiles().size(), 1);
    QVERIFY(boxes->shown.isEmpty());
    QVERIFY(!form.isBusy());
    QVERIFY(form.preview() && form.preview()->isVisible());
}

// A close inside the run's one yield ends the run there: going on would start the engine again and
// report each of its steps failing.
void PipelineTest::closingTheMainWindowDuringARunEndsItThere()
{
    Form1 form;
    form.show();
    mWord->applicationsCreated = 0;
    QMetaObject::invokeMethod(&form, &QWidget::close, Qt::QueuedConnection);
    click(form, "PushButton6");

    QVERIFY(Program::hasEnded());
    QCOMPARE(mWord->applicationsCreated, 0);
    QVERIFY(boxes->shown.isEmpty());
    QVERIFY(!form.preview());
    QVERIFY(!form.isBusy());
    // The work folder went with the program, and nothing was written after it.
    QCOMPARE(QDir(environment->tempFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

void PipelineTest::whatStandsAtTheTemplatesPlace_data()
{
    QTest::addColumn<QString>("linkTo"); // empty: a file of the program's own
    QTest::addColumn<QByteArray>("usersFile");
    QTest::newRow("a template file of ours is used") << QString() << QByteArray();
    // A link written through would put the template outside the temporary folder, for good.
    QTest::newRow("a dangling link is not written through") << "outside.dot" << QByteArray();
    // A link read through would render the user's own file, ready to be saved.
    QTest::newRow("a link to a file of the user's is not read") << "letter.doc" << QByteArray("the user's letter");
}

void PipelineTest::whatStandsAtTheTemplatesPlace()
{
    QFETCH(QString, linkTo);
    QFETCH(QByteArray, usersFile);
    const QString templatePath = TempFolder::file("template.dot");
    const QString target = environment->root() + "/" + linkTo;
    QByteArray expected;
    if (linkTo.isEmpty()) {
        expected = "a template of our own";
        QFile own(templatePath);
        QVERIFY(own.open(QIODevice::WriteOnly));
        own.write(expected);
    } else {
        QFile resource(":/CUSTOM/101");
        QVERIFY(resource.open(QIODevice::ReadOnly));
        expected = resource.readAll();
        if (!usersFile.isEmpty()) {
            QFile users(target);
            QVERIFY(users.open(QIODevice::WriteOnly));
            users.write(usersFile);
        }
        QVERIFY(QFile::link(target, templatePath));
    }
    Form1 form;
    form.show();
    // What the engine would open is read when it starts.
    QByteArray opened;
    AutomationServers::registerServer(WordProgId, [&] {
        QFile file(templatePath);
        if (file.open(QIODevice::ReadOnly) && opened.isNull())
            opened = file.readAll();
        return CreateObject(ScriptedWordServer::ProgId);
    });
    click(form, "PushButton6");
    QCOMPARE(opened, expected);
    QCOMPARE(mWord->documents[0]->path, templatePath);
    QVERIFY(!QFileInfo(templatePath).exists() && !QFileInfo(templatePath).isSymLink());
    if (!linkTo.isEmpty()) {
        QFile left(target);
        QCOMPARE(left.open(QIODevice::ReadOnly) ? left.readAll() : QByteArray(), usersFile);
    }
    QVERIFY(boxes->shown.isEmpty());
}

void PipelineTest::takenDocumentNameIsNeverReused()
{
    // The start-up's draw, then "plumix11111111", then fives.
    random->values = {0.5, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.5};
    const QString taken = TempFolder::file("plumix11111111.doc");
    QFile file(taken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("the user's earlier invitation");
    file.close();

    Form1 form;
    form.show();
    click(form, "PushButton6");
    QVERIFY(form.preview());
    QCOMPARE(form.preview()->wordFile(), TempFolder::file("plumix55555555.doc"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("the user's earlier invitation"));
    QCOMPARE(random->seeds.size(), 1 + 16); // start-up, then one reseed before every digit
}

void PipelineTest::engineThatCannotStartReportsEachStepAndStillPreviews()
{
    mWord->failCreateObject(QStringLiteral("The office could not be started"));
    Form1 form;
    form.show();
    click(form, "PushButton6");

    const QStringList reports = boxes->reports();
    QCOMPARE(lines(reports, "PushButton6_Click"),
             (QList<int>{110, 114, 118, 118, 118, 118, 154, 216, 186, 188, 190, 192, 202}));
    QCOMPARE(lines(reports, "SaveDocAsJPG"), (QList<int>{116, 118, 120, 122, 124, 126}));
    // In step order: the snapshot's reports come between the pipeline's 192 and 202.
    QVERIFY(reports[0].startsWith("The office could not be started\r\n"));
    QVERIFY(reports[1].startsWith("Object variable or With block variable not set\r\n"));
    QVERIFY(reports[12].contains("SaveDocAsJPG at line 116"));
    QVERIFY(reports[18].contains("PushButton6_Click at line 202"));
    // The preview then opens without a page: it has nothing to paint.
    QCOMPARE(reports.size(), 20);
    QVERIFY(reports[19].contains("Form2.RedrawImage"));

    QVERIFY(!form.isBusy());
    QVERIFY(form.isHidden());
    QVERIFY(form.preview() && form.preview()->isVisible());
    QCOMPARE(form.MousePointer(), 0);
    QCOMPARE(tempFiles(), QStringList()); // no template left, no document made, no picture
}

void PipelineTest::failedSnapshotNeverShowsAnOldPicture()
{
    QImage old(64, 64, QImage::Format_RGB32);
    old.fill(Qt::red);
    ProgramClipboard::setImage(old);
    QVERIFY(old.save(TempFolder::file("temp.bmp"), "BMP")); // left by an earlier run
    mWord->fail(QStringLiteral("Range.CopyAsPicture"), QStringLiteral("The page could not be rendered"));

    Form1 form;
    form.show();
    click(form, "PushButton6");
    QCOMPARE(lines(boxes->reports(), "SaveDocAsJPG"), (QList<int>{120, 122}));
    QCOMPARE(lines(boxes->reports(), "PushButton6_Click"), QList<int>{202});
    QVERIFY(form.preview());
    QVERIFY(unscaledPage(*form.preview()).isNull() || unscaledPage(*form.preview()).size() != old.size());
    QVERIFY(page(*form.preview()).isNull());
    QVERIFY(!QFile::exists(TempFolder::file("temp.bmp")));
    QVERIFY(!form.isBusy());
}

// The page is a picture: a screen reader reads the values it was filled with, in its order, and
// those of the latest run.
void PipelineTest::nextRunNeverShowsThePreviousPage()
{
    Form1 form;
    form.show();
    click(form, "PushButton6");
    QVERIFY(form.preview());
    Form2 &preview = *form.preview();
    QCOMPARE(unscaledPage(preview).size(), testPage().size());
    const auto pageText = [&] {
        return QAccessible::queryAccessibleInterface(control(preview, "Picture1"))->text(QAccessible::Description);
    };
    QCOMPARE(pageText(), QStringLiteral("December 8, 7:30 P.M."));
    click(preview, "PushButton8"); // "< Back"
    QVERIFY(form.isVisible());
    click(form, "PushButton4");

    mWord->fail(QStringLiteral("Range.CopyAsPicture"), QStringLiteral("The page could not be rendered"));
    click(form, "PushButton6");
    QVERIFY(preview.isVisible());
    QVERIFY(page(preview).isNull());
    QVERIFY(unscaledPage(preview).isNull());
    QCOMPARE(pageText(),
             QStringLiteral("December 8, 7:30 P.M., 417 Larkspur Avenue, North Vellmont, WA, Ilse and Bram Ketterly"));
}

void PipelineTest::sharperPageReplacesTheFirstWithoutMovingTheView()
{
    QSemaphore ready;
    QString renderedDocument;
    double renderedDensity = 0;
    PageSharpening::setRenderer([&](const QString &document, double dotsPerInch) {
        renderedDocument = document;
        renderedDensity = dotsPerInch;
        ready.tryAcquire(1, 10000);
        return sharperTestPage(Qt::black);
    });
    Form1 form;
    form.show();
    click(form, "PushButton6");
    Form2 &preview = *form.preview();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));

    // Zoomed in and scrolled before the sharper page is ready; it shows the first one meanwhile.
    click(preview, "PushButton1");
    click(preview, "PushButton1");
    control<QScrollBar>(preview, "HScroll1")->setValue(3);
    control<QScrollBar>(preview, "VScroll1")->setValue(5);
    auto *box = control<PictureBox>(preview, "Picture1");
    const QPoint centre = box->rect().center();
    QCOMPARE(box->grab().toImage().pixelColor(centre), QColor(250, 245, 230));
    const ViewportState before = preview.viewport().state();
    const QRect geometry = box->geometry();

    ready.release();
    QTRY_COMPARE(unscaledPage(preview).size(), QSize(800, 1000));
    QCOMPARE(renderedDocument, preview.wordFile());
    QCOMPARE(renderedDensity, 192.0); // twice the first picture's 96 dots per inch

    // Nothing moved: the zoom, the sizes, the page box and the bars are as the user left them.
    const ViewportState &after = preview.viewport().state();
    QCOMPARE(after.mZoom, 1.5f);
    QCOMPARE(after.mZoom, before.mZoom);
    QCOMPARE(QList<qint32>({after.mOriWidth, after.mOriHeight, after.mZoomWidth, after.mZoomHeight}),
             QList<qint32>({before.mOriWidth, before.mOriHeight, before.mZoomWidth, before.mZoomHeight}));
    QCOMPARE(box->geometry(), geometry);
    QCOMPARE(control<QScrollBar>(preview, "HScroll1")->value(), 3);
    QCOMPARE(control<QScrollBar>(preview, "VScroll1")->value(), 5);
    // The current zoom is painted from the sharper page: its checkerboard shows.
    QVERIFY(qGray(box->grab().toImage().pixel(centre)) < 200);
}

void PipelineTest::sharperPageOfAnEarlierRunNeverReachesThePreview()
{
    QSemaphore firstReady;
    QSemaphore secondReady;
    std::atomic<int> calls = 0;
    std::atomic<int> finished = 0;
    PageSharpening::setRenderer([&](const QString &, double) {
        const bool first = calls++ == 0;
        (first ? firstReady : secondReady).tryAcquire(1, 10000);
        ++finished;
        return sharperTestPage(first ? Qt::red : Qt::blue);
    });
    Form1 form;
    form.show();
    click(form, "PushButton6");
    Form2 &preview = *form.preview();
    QTRY_COMPARE(calls.load(), 1);
    click(preview, "PushButton8"); // "< Back" while the first page is being sharpened
    click(form, "PushButton6");
    QTRY_COMPARE(calls.load(), 2);

    secondReady.release();
    QTRY_COMPARE(unscaledPage(preview).size(), QSize(800, 1000));
    QCOMPARE(unscaledPage(preview).pixelColor(1, 0), QColor(Qt::blue));
    firstReady.release();
    QTRY_COMPARE(finished.load(), 2);
    QTest::qWait(50); // what it would hand over arrives through the event loop
    QCOMPARE(unscaledPage(preview).pixelColor(1, 0), QColor(Qt::blue));
}

// "< Back" and a new start at once never wait (some 400 ms) for a sharper page nobody would see.
void PipelineTest::aQuickBackNeverHoldsTheOfficeWithASharperPage()
{
    std::atomic<int> calls = 0;
    PageSharpening::setRenderer([&](const QString &, double) {
        ++calls;
        return sharperTestPage(Qt::red);
    });
    Form1 form;
    form.show();
    click(form, "PushButton6");
    click(*form.preview(), "PushButton8");
    QTest::qWait(1000);
    QCOMPARE(calls.load(), 0);
}

void PipelineTest::valuesTooLongToFitAreNamedOnceThePreviewShows_data()
{
    QTest::addColumn<QString>("givenBy");
    QTest::addColumn<QString>("message");
    const QString impossible(2000, QLatin1Char('x'));
    QTest::newRow("street address") << "Ilse and Bram Ketterly"
                                    << "The Street Address is too long to show in full on the invitation. "
                                       "Please shorten it.";
    QTest::newRow("host and street address") << impossible
                                             << "The Given By and the Street Address are too long to show in full "
                                                "on the invitation. Please shorten them.";
}

void PipelineTest::valuesTooLongToFitAreNamedOnceThePreviewShows()
{
    QFETCH(QString, givenBy);
    QFETCH(QString, message);
    // Boxes that hold 60 characters at 12 points.
    mWord->content.shapes = {{QStringLiteral("[GivenBy]"), {}}, {QStringLiteral("[Date], at [Time]"), {}},
                             {QStringLiteral("[Address], [City], [State]"), {}}};
    for (ScriptedShape &shape : mWord->content.shapes)
        shape.capacity = 60 * 12;

    Form1 form;
    form.show();
    click(form, "PushButton4");
    control<QLineEdit>(form, "Text1_0")->setText(givenBy);
    control<QLineEdit>(form, "Text1_2")->setText(QString(2000, QLatin1Char('x')));
    bool previewShown = false;
    boxes->onShow = [&](const MessageBoxes::Message &) {
        previewShown = form.preview() && form.preview()->isVisible() && form.isHidden();
    };
    click(form, "PushButton6");

    QCOMPARE(boxes->texts(), QStringList{message});
    QCOMPARE(boxes->shown[0].title, QStringLiteral("Mistlefold"));
    QVERIFY(previewShown);
    QVERIFY(!form.isBusy());
    // The run still made and saved its document.
    QCOMPARE(tempFiles().size(), 1);
    QCOMPARE(form.preview()->wordFile(), TempFolder::file(tempFiles()[0]));
}

QTEST_MAIN(PipelineTest)
#include "tst_pipeline.moc"
