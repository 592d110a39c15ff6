#include "OfficeReadBack.h"
#include "ScriptedWordParty.h"
#include "TestDoubles.h"

#include "automation/CreateObject.h"
#include "generation/FitText.h"
#include "generation/PlaceholderReplacement.h"
#include "office/OfficeEngine.h"
#include "office/OfficeModule.h"
#include "shell/Guard.h"
#include "shell/ProgramClipboard.h"
#include "shell/RuntimeError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QLockFile>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QUrl>

#include <csignal>
#include <future>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

const QStringList Placeholders{"[GivenBy]", "[City]", "[Address]", "[State]", "[Date]", "[Time]"};
// Where the fixture's objects are in z-order: its two text frames, then its drawing shapes.
const QString DateFrame = QStringLiteral("object0");
const QString AddressFrame = QStringLiteral("object1");
const QString WhenShape = QStringLiteral("object2");
const QString HostShape = QStringLiteral("object3");

// Running (not a zombie waiting to be reaped).
bool processRunning(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) != "Z";
}

bool waitUntilGone(qint64 pid, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (processRunning(pid)) {
        if (timer.elapsed() > ms)
            return false;
        QThread::msleep(5);
    }
    return true;
}

QByteArray commandLine(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The office's own single-instance socket in /tmp for a profile: named by the MD5 of the
// profile's URL (UTF-16 code units), each byte in hex without leading zeros.
QString singleInstanceSocket(const QString &profileFolder)
{
    const QString url = QUrl::fromLocalFile(profileFolder).toString(QUrl::FullyEncoded);
    QString hash;
    for (const char byte : QCryptographicHash::hash(QByteArray(reinterpret_cast<const char *>(url.utf16()), url.size() * 2),
                                                    QCryptographicHash::Md5))
        hash += QString::number(quint8(byte), 16);
    return QStringLiteral("/tmp/OSL_PIPE_%1_SingleOfficeIPC_%2").arg(getuid()).arg(hash);
}

// Our office pipes' sockets in /tmp, for the given program process.
QStringList pipeSockets(qint64 programPid)
{
    return QDir(QStringLiteral("/tmp")).entryList({QStringLiteral("OSL_PIPE_%1_mistlefold-%2-*").arg(getuid()).arg(programPid)},
                                                 QDir::System | QDir::Files | QDir::Hidden);
}

// Red pixels on a grid of about 400 columns, whatever the picture's density.
int redPixels(const QImage &picture)
{
    const int step = qMax(1, picture.width() / 408);
    int red = 0;
    for (int y = 0; y < picture.height(); y += step)
        for (int x = 0; x < picture.width(); x += step)
            red += qRed(picture.pixel(x, y)) > 150 && qGreen(picture.pixel(x, y)) < 60;
    return red;
}

// The mean difference of two pictures of one size, over all pixels and colour channels, of 255.
double meanDifference(const QImage &first, const QImage &second)
{
    const QImage a = first.convertToFormat(QImage::Format_RGB32);
    const QImage b = second.convertToFormat(QImage::Format_RGB32);
    if (a.size() != b.size())
        return 255;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

QList<Variant> executeArguments(const QString &find, const QString &replacement, qint16 replace)
{
    QList<Variant> arguments{find};
    for (int i = 0; i < 8; ++i)
        arguments.append(Variant::missing());
    arguments << replacement << replace;
    return arguments;
}

} // namespace

// The "Word.Application" server against the real office: documents in and out, find and
// replace in every story and shape, the page picture, and the office process's lifetime.
class OfficeEngineTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> environment;
    std::unique_ptr<RecordingMessageBoxes> boxes;
    QString fixture; // the placeholder document as Word 97-2003

    QString work(const QString &name) const { return environment->tempFolder() + QLatin1Char('/') + name; }
    QString officeFolder() const { return environment->root() + QStringLiteral("/cache/mistlefold/office"); }

    static Object open(const Object &word, const QString &path, bool readOnly)
    {
        QList<NamedArgument> named;
        if (readOnly)
            named.append({QStringLiteral("ReadOnly"), true});
        return word.object(QStringLiteral("Documents")).call(QStringLiteral("Open"), {path}, named).toObject();
    }

    // Copies the fixture (or source) to the template's name and fills it as the pipeline does,
    // with the fitting when asked; returns the filled document's path.
    QString fill(const ScriptedPartyDetails &details, const QString &name, const QString &source = {}, bool fit = false)
    {
        const QString templatePath = work(name + QStringLiteral(".dot"));
        QFile::remove(templatePath);
        QFile::copy(source.isEmpty() ? fixture : source, templatePath);
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        const Object document = open(word, templatePath, true);
        Guard guard(QStringLiteral("Form1"), QStringLiteral("PushButton6_Click"));
        ReplacePlaceholders(guard, document, details);
        if (fit)
            FitText(guard, document, details);
        const QString filled = work(name + QStringLiteral(".doc"));
        document.call(QStringLiteral("SaveAs"), {filled});
        word.set(QStringLiteral("DisplayAlerts"), false);
        document.call(QStringLiteral("Close"));
        word.call(QStringLiteral("Quit"));
        QFile::remove(templatePath);
        return filled;
    }

    QList<TextRun> fillAndReadBack(const ScriptedPartyDetails &details, const QString &name, const QString &source = {})
    {
        const QString filled = fill(details, name, source);
        QString error;
        const QList<TextRun> runs = OfficeReadBack(environment->root() + QStringLiteral("/reader")).read(filled, &error);
        if (runs.isEmpty())
            qWarning() << "read-back failed:" << error;
        return runs;
    }

    static void verifyNoPlaceholders(const QList<TextRun> &runs)
    {
        for (const QString &container : {QStringLiteral("body"), QStringLiteral("header"), DateFrame, AddressFrame, WhenShape, HostShape})
            for (const QString &placeholder : Placeholders)
                QVERIFY2(!textIn(runs, container).contains(placeholder, Qt::CaseInsensitive),
                         qPrintable(container + QStringLiteral(": ") + textIn(runs, container)));
    }

private slots:
    void initTestCase()
    {
        environment = std::make_unique<TestEnvironment>();
        boxes = std::make_unique<RecordingMessageBoxes>();
        registerOfficeEngine();
        try {
            officeModule();
        } catch (const RuntimeError &error) {
            QFAIL(qPrintable(QStringLiteral("the office module is missing: ") + error.description()));
        }
        // The test document comes from its flat-XML source, saved by the engine as Word 97-2003.
        fixture = work(QStringLiteral("fixture.doc"));
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        const Object source = open(word, QStringLiteral(FIXTURE_SOURCE), true);
        source.call(QStringLiteral("SaveAs"), {fixture});
        source.call(QStringLiteral("Close"));
        word.call(QStringLiteral("Quit"));
        QVERIFY(QFile::exists(fixture));
    }

    void cleanupTestCase()
    {
        const qint64 office = officeModule().processId();
        shutdownOfficeEngine();
        QVERIFY(!processRunning(office));
        QCOMPARE(officeModule().processId(), 0);
        // Nothing of the office is left in the temporary folders or beside its profiles.
        QCOMPARE(pipeSockets(getpid()), QStringList());
        QCOMPARE(QDir(officeFolder()).entryList({QStringLiteral("*-tmp-*")}, QDir::Dirs), QStringList());
        QCOMPARE(QDir(environment->tempFolder()).entryList({QStringLiteral(".~lock*"), QStringLiteral("lu*.tmp")},
                                                         QDir::Files | QDir::Dirs | QDir::Hidden),
                 QStringList());
        QVERIFY(boxes->shown.isEmpty());
    }

    void savesWord97EvenFromATemplateAndLeavesNoLockFiles()
    {
        const QString templatePath = work(QStringLiteral("copy.dot"));
        QFile::copy(fixture, templatePath);
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        // Opened for writing, as the picture step opens the saved document.
        const Object document = open(word, templatePath, false);
        QCOMPARE(QDir(environment->tempFolder()).entryList({QStringLiteral(".~lock*")}, QDir::Files | QDir::Hidden),
                 QStringList());
        const QString saved = work(QStringLiteral("copy.doc"));
        document.call(QStringLiteral("SaveAs"), {saved});
        document.call(QStringLiteral("Close"), {}, {{QStringLiteral("savechanges"), qint16(0)}});
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(8), QByteArray::fromHex("d0cf11e0a1b11ae1")); // an OLE compound file
        QVERIFY(open(word, saved, true).object(QStringLiteral("StoryRanges")).enumerate().size() >= 1);
        word.call(QStringLiteral("Quit"));
        QFile::remove(templatePath);
        QFile::remove(saved);
    }

    void offersStoriesAndEveryShape()
    {
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        const Object document = open(word, fixture, true);
        // The main text, the first text box and the page header.
        QCOMPARE(document.object(QStringLiteral("StoryRanges")).enumerate().size(), 3);
        QList<qint32> hasText;
        for (const Variant &shape : document.object(QStringLiteral("Shapes")).enumerate())
            hasText.append(shape.toObject().object(QStringLiteral("TextFrame")).get(QStringLiteral("HasText")).toLong());
        // Two text frames, two drawing shapes with text, one without: each once.
        QCOMPARE(hasText, (QList<qint32>{-1, -1, -1, -1, 0}));
        word.call(QStringLiteral("Quit"));
    }

    void fillsEveryPlaceholderKeepingItsFormatting()
    {
        const QList<TextRun> runs = fillAndReadBack(ScriptedPartyDetails(), QStringLiteral("filled"));
        QVERIFY(!runs.isEmpty());
        verifyNoPlaceholders(runs);
        QVERIFY(boxes->shown.isEmpty());
        QVERIFY(textIn(runs, "header").contains(QStringLiteral("A party given by The Hollies")));
        QVERIFY(textIn(runs, "body").contains(QStringLiteral("Where\n12 Evergreen Terrace in Oregon")));
        // Lower-case placeholders in a story are filled by the story pass.
        QVERIFY(textIn(runs, "body").contains(
            QStringLiteral("Written small: The Hollies, Springfield, 12 Evergreen Terrace, Oregon.")));
        QCOMPARE(textIn(runs, DateFrame), QStringLiteral("December 24, at 7:05 P.M."));
        QCOMPARE(textIn(runs, AddressFrame), QStringLiteral("12 Evergreen Terrace, Springfield, Oregon"));
        // Both placeholders of one paragraph of a shape, and those of a second paragraph.
        QCOMPARE(textIn(runs, WhenShape), QStringLiteral("December 24, at 7:05 P.M."));
        QCOMPARE(textIn(runs, HostShape), QStringLiteral("The Hollies invites you\nto 12 Evergreen Terrace, Springfield, Oregon"));

        const struct { QString container; const char *text; bool bold; const char *color; } formats[] = {
            {QStringLiteral("body"), "The Hollies", true, ""},
            {QStringLiteral("body"), "Springfield", false, "#c00000"},
            {DateFrame, "December 24", true, ""},
            {DateFrame, "7:05 P.M.", false, "#c00000"},
            {WhenShape, "December 24, at 7:05 P.M.", false, "#c00000"},
            {HostShape, "The Hollies", true, ""},
        };
        for (const auto &expected : formats) {
            const TextRun *run = runWith(runs, expected.container, expected.text);
            QVERIFY2(run, expected.text);
            QCOMPARE(run->bold, expected.bold);
            if (*expected.color)
                QCOMPARE(run->color, QString::fromLatin1(expected.color));
        }
    }

    void valuesHoldingPlaceholdersAndEmptyValues()
    {
        ScriptedPartyDetails details;
        details.texts = {QStringLiteral("[City]"), QStringLiteral("Springfield"), QString(), QStringLiteral("Oregon")};
        const QList<TextRun> runs = fillAndReadBack(details, QStringLiteral("special"));
        QVERIFY(!runs.isEmpty());
        verifyNoPlaceholders(runs);
        QVERIFY(textIn(runs, "header").contains(QStringLiteral("A party given by Springfield")));
        QCOMPARE(textIn(runs, AddressFrame), QStringLiteral(", Springfield, Oregon"));
        QCOMPARE(textIn(runs, HostShape), QStringLiteral("Springfield invites you\nto , Springfield, Oregon"));
    }

    void findWorksInsideItsRangeOnly()
    {
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        const Object document = open(word, fixture, true);
        const QList<Variant> stories = document.object(QStringLiteral("StoryRanges")).enumerate();
        const Object body = stories.at(0).toObject().object(QStringLiteral("Find"));
        const Object header = stories.at(2).toObject().object(QStringLiteral("Find"));
        const auto found = [](const Object &find, const QString &text) {
            return find.call(QStringLiteral("Execute"), {text}).toBool();
        };
        QVERIFY(header.call(QStringLiteral("Execute"), executeArguments("[GivenBy]", "Header only", 2)).toBool());
        QVERIFY(!found(header, QStringLiteral("[GivenBy]")));
        QVERIFY(found(body, QStringLiteral("[GivenBy]")));
        // Match case on the main text; a wildcard search is not supported and changes nothing.
        body.set(QStringLiteral("MatchCase"), true);
        QVERIFY(found(body, QStringLiteral("[givenby]")));
        QVERIFY(!found(body, QStringLiteral("[GIVENBY]")));
        body.set(QStringLiteral("MatchCase"), false);
        body.set(QStringLiteral("MatchWildcards"), true);
        body.set(QStringLiteral("Text"), QStringLiteral("\\[[a-z]@\\]"));
        body.object(QStringLiteral("Replacement")).set(QStringLiteral("Text"), QStringLiteral("x"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError,
                                 body.call(QStringLiteral("Execute"), {}, {{QStringLiteral("Replace"), qint16(2)}}));
        body.set(QStringLiteral("MatchWildcards"), false);
        body.set(QStringLiteral("MatchCase"), true);
        QVERIFY(found(body, QStringLiteral("[city]")));
        QVERIFY(found(body, QStringLiteral("[City]")));
        // Tables' cells belong to the text around them.
        QVERIFY(found(body, QStringLiteral("Where")));
        // The text frames are stories of their own.
        const Object frame = stories.at(1).toObject().object(QStringLiteral("Find"));
        QVERIFY(found(frame, QStringLiteral("[Time]")));
        word.call(QStringLiteral("Quit"));
    }

    void copiesTheFirstPageAsAPicture()
    {
        ProgramClipboard::clear();
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        const Object document = open(word, fixture, false);
        document.call(QStringLiteral("Range")).toObject().call(QStringLiteral("CopyAsPicture"));
        word.object(QStringLiteral("ActiveDocument")).call(QStringLiteral("Close"), {}, {{QStringLiteral("savechanges"), qint16(0)}});
        word.call(QStringLiteral("Quit"));
        const QImage picture = ProgramClipboard::image();
        // A Letter page at the screen's density (96 dots per inch here), which the image says of
        // itself.
        QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), 1.0);
        QCOMPARE(picture.size(), QSize(816, 1056));
        QCOMPARE(picture.dotsPerMeterX(), 3780);
        QCOMPARE(picture.dotsPerMeterY(), 3780);
        QVERIFY2(redPixels(picture) > 20, "the red placeholders are drawn");
    }

    // Whether a box's text fits, and the size of its text. The fixture's boxes come back from
    // Word 97-2003 as drawing shapes: two of fixed size, two that grow with their text.
    void tellsWhetherTextFitsAndSetsItsSize()
    {
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        const Object document = open(word, fixture, true);
        QList<Object> frames;
        for (const Variant &shape : document.object(QStringLiteral("Shapes")).enumerate())
            frames.append(shape.toObject().object(QStringLiteral("TextFrame")));
        const auto fontOf = [&](int shape) {
            return frames.at(shape).object(QStringLiteral("TextRange")).object(QStringLiteral("Font"));
        };
        const auto overflowing = [&] {
            QList<bool> answers;
            for (const Object &frame : frames)
                answers.append(frame.get(QStringLiteral("Overflowing")).toBool());
            return answers;
        };
        QCOMPARE(overflowing(), (QList<bool>{false, false, false, false, false}));
        QCOMPARE(fontOf(1).get(QStringLiteral("Size")).toDouble(), 12.0);
        // Mixed sizes read as undefined, until one size is set for every character.
        QCOMPARE(fontOf(0).get(QStringLiteral("Size")).toDouble(), 9999999.0);
        fontOf(0).set(QStringLiteral("Size"), 14.0);
        QCOMPARE(fontOf(0).get(QStringLiteral("Size")).toDouble(), 14.0);

        // Three lines in a box two lines high overflow; a box that grows with its text never does.
        // Asking again gives the same answer: measuring leaves each box as it was.
        fontOf(1).set(QStringLiteral("Size"), 40.2);
        QCOMPARE(fontOf(1).get(QStringLiteral("Size")).toDouble(), 40.0);
        fontOf(3).set(QStringLiteral("Size"), 40.0);
        QCOMPARE(overflowing(), (QList<bool>{false, true, false, false, false}));
        QCOMPARE(overflowing(), (QList<bool>{false, true, false, false, false}));
        fontOf(1).set(QStringLiteral("Size"), 12.0);
        QCOMPARE(overflowing(), (QList<bool>{false, false, false, false, false}));
        for (const double size : {0.0, 1638.5})
            QVERIFY_THROWS_EXCEPTION(RuntimeError, fontOf(1).set(QStringLiteral("Size"), size));
        word.call(QStringLiteral("Quit"));
    }

    // The office keeps the template between fills and undoes each fill: a fill after one whose
    // long values made the text smaller looks exactly like the same fill on a fresh office, and its
    // page, rendered from the document the office still holds, like the saved file read again.
    void aKeptTemplateIsRestoredCompletely()
    {
        ScriptedPartyDetails longValues;
        for (QString &text : longValues.texts)
            text = text.repeated(6);
        shutdownOfficeEngine();
        const QImage fresh = renderFirstPage(fill(ScriptedPartyDetails(), QStringLiteral("fresh"), TEMPLATE_SOURCE, true), 96);
        const QImage shrunk = renderFirstPage(fill(longValues, QStringLiteral("long"), TEMPLATE_SOURCE, true), 96);
        QVERIFY(meanDifference(shrunk, fresh) > 1.0);
        const int loads = officeModule().documentLoads();
        const QString again = fill(ScriptedPartyDetails(), QStringLiteral("again"), TEMPLATE_SOURCE, true);
        ProgramClipboard::clear();
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        open(word, again, false).call(QStringLiteral("Range")).toObject().call(QStringLiteral("CopyAsPicture"));
        word.call(QStringLiteral("Quit"));
        QCOMPARE(officeModule().documentLoads(), loads); // neither the template nor the saved file was read
        QVERIFY2(meanDifference(ProgramClipboard::image(), fresh) < 1.0,
                 qPrintable(QString::number(meanDifference(ProgramClipboard::image(), fresh))));
        QVERIFY(meanDifference(renderFirstPage(again, 96), fresh) < 1.0);
        // The saved file opened once more (for a PDF, a print) is read, and the template stays kept.
        const int beforeExport = officeModule().documentLoads();
        const Object exporter = CreateObject(QStringLiteral("Word.Application"));
        open(exporter, again, true).call(QStringLiteral("Close"));
        exporter.call(QStringLiteral("Quit"));
        fill(ScriptedPartyDetails(), QStringLiteral("after"), TEMPLATE_SOURCE, true);
        QCOMPARE(officeModule().documentLoads(), beforeExport + 1);
    }

    // A file that changed is read again, never taken for the document the office keeps: a template
    // with other bytes, or a saved file that another one replaced. (The fixture's boxes are drawing
    // shapes, which the office does not keep; the real template's are text frames.)
    void aChangedFileIsNeverServedFromTheKeptDocument_data()
    {
        QTest::addColumn<bool>("savedFile");
        QTest::newRow("template") << false;
        QTest::newRow("saved file") << true;
    }
    void aChangedFileIsNeverServedFromTheKeptDocument()
    {
        QFETCH(bool, savedFile);
        const QString filled = fill(ScriptedPartyDetails(), QStringLiteral("changing"), TEMPLATE_SOURCE);
        const QString templatePath = work(QStringLiteral("changing.dot"));
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        if (!savedFile) {
            open(word, filled, false).call(QStringLiteral("Close")); // the template kept, restored
            QFile::copy(filled, templatePath);
        } else {
            QFile::remove(filled);
            QFile::copy(QStringLiteral(TEMPLATE_SOURCE), filled);
        }
        const int loads = officeModule().documentLoads();
        const Object document = open(word, savedFile ? filled : templatePath, !savedFile);
        QString text;
        for (const Variant &shape : document.object(QStringLiteral("Shapes")).enumerate()) {
            const Object frame = shape.toObject().object(QStringLiteral("TextFrame"));
            if (frame.get(QStringLiteral("HasText")).toBool())
                text += frame.object(QStringLiteral("TextRange")).get(QStringLiteral("Text")).toString();
        }
        QCOMPARE(officeModule().documentLoads(), loads + 1);
        QCOMPARE(text.contains(QStringLiteral("[GivenBy]")), savedFile);
        QCOMPARE(text.contains(QStringLiteral("The Hollies")), !savedFile);
        word.call(QStringLiteral("Quit"));
        QFile::remove(templatePath);
    }

    void exportsPdfOnly()
    {
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        const Object document = open(word, fixture, true);
        const QString pdf = work(QStringLiteral("fixture.pdf"));
        try {
            document.call(QStringLiteral("ExportAsFixedFormat"), {pdf, qint32(18)});
            QFAIL("an XPS export succeeded");
        } catch (const RuntimeError &error) {
            QVERIFY2(error.description().contains(QStringLiteral("PDF")), qPrintable(error.description()));
        }
        QVERIFY(!QFile::exists(pdf));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, document.call(QStringLiteral("ExportAsFixedFormat"), {pdf}));
        document.call(QStringLiteral("ExportAsFixedFormat"), {},
                      {{QStringLiteral("OutputFileName"), pdf}, {QStringLiteral("ExportFormat"), qint32(17)}});
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(5), QByteArray("%PDF-"));
        // The office's own words for a failed write named its internals ("SfxBaseModel::impl_store
        // ... 0xc10"); they go to standard error, the description is the one for the cause.
        try {
            document.call(QStringLiteral("ExportAsFixedFormat"), {QStringLiteral("/proc/no/such/folder/x.pdf"), qint32(17)});
            QFAIL("an export to a missing folder succeeded");
        } catch (const RuntimeError &error) {
            QCOMPARE(error.description(), QStringLiteral("Path not found"));
        }
        word.call(QStringLiteral("Quit"));
        QFile::remove(pdf);
    }

    // The office takes a printer name it does not know for its default printer: the job would
    // come out where the user did not send it. A real print needs a PDF printer of CUPS.
    void printsOnlyOnThePrinterNamed()
    {
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        const Object document = open(word, fixture, true);
        try {
            document.call(QStringLiteral("PrintOut"), {},
                          {{QStringLiteral("Printer"), QStringLiteral("Nowhere Laser")},
                           {QStringLiteral("Copies"), qint32(2)}, {QStringLiteral("Pages"), QStringLiteral("1")},
                           {QStringLiteral("PrintZoomPaperWidth"), qint32(12240)},
                           {QStringLiteral("PrintZoomPaperHeight"), qint32(15840)}});
            QFAIL("a print on an unknown printer succeeded");
        } catch (const RuntimeError &error) {
            QCOMPARE(error.description(), QStringLiteral("The printer Nowhere Laser is not available."));
        }
        word.call(QStringLiteral("Quit"));
        QProcess lpstat;
        lpstat.start(QStringLiteral("lpstat"), {QStringLiteral("-e")});
        if (!lpstat.waitForFinished(5000) || !lpstat.readAllStandardOutput().contains("PDF"))
            QSKIP("no PDF printer of CUPS here (its daemon does not run on this machine): no real print tried");
    }

    void unknownMembersAndClosedDocumentsFailWithDescriptions()
    {
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, word.get(QStringLiteral("Visible")));
        try {
            word.get(QStringLiteral("Visible"));
        } catch (const RuntimeError &error) {
            QCOMPARE(error.description(), QStringLiteral("Object doesn't support this property or method"));
        }
        QVERIFY_THROWS_EXCEPTION(RuntimeError, word.object(QStringLiteral("ActiveDocument")));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, open(word, work(QStringLiteral("missing.doc")), true));
        const Object document = open(word, fixture, true);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, document.call(QStringLiteral("SaveAs"), {QStringLiteral("/proc/no/such/folder/x.doc")}));
        document.call(QStringLiteral("Close"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, document.object(QStringLiteral("StoryRanges")));
        word.call(QStringLiteral("Quit"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, word.object(QStringLiteral("Documents")));
    }

    void aSecondInstanceIsWarmAndQuitClosesOnlyItsOwn()
    {
        const Object first = CreateObject(QStringLiteral("Word.Application"));
        const qint64 office = officeModule().processId();
        QElapsedTimer timer;
        timer.start();
        const Object second = CreateObject(QStringLiteral("Word.Application"));
        QVERIFY2(timer.elapsed() < 200, "the running office is reused");
        QCOMPARE(officeModule().processId(), office);
        const Object mine = open(first, fixture, true);
        const Object theirs = open(second, fixture, true);
        first.call(QStringLiteral("Quit"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, mine.object(QStringLiteral("Shapes")));
        QCOMPARE(second.object(QStringLiteral("ActiveDocument")).object(QStringLiteral("Shapes")).enumerate().size(), 5);
        QCOMPARE(theirs.object(QStringLiteral("StoryRanges")).enumerate().size(), 3);
        second.call(QStringLiteral("Quit"));
    }

    void aKilledOfficeFailsTheNextCallAndIsStartedAfresh()
    {
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        const Object document = open(word, fixture, true);
        const qint64 office = officeModule().processId();
        ::kill(pid_t(office), SIGKILL);
        QElapsedTimer timer;
        timer.start();
        try {
            document.object(QStringLiteral("StoryRanges"));
            QFAIL("a call into a killed office succeeded");
        } catch (const RuntimeError &error) {
            QVERIFY(error.description().contains(QStringLiteral("document engine")));
        }
        QVERIFY(timer.elapsed() < 1000);
        const Object fresh = CreateObject(QStringLiteral("Word.Application"));
        QVERIFY(officeModule().processId() != office);
        QCOMPARE(open(fresh, fixture, true).object(QStringLiteral("StoryRanges")).enumerate().size(), 3);
        fresh.call(QStringLiteral("Quit"));
        // The killed office's pipe socket and temporary folder are gone.
        QCOMPARE(pipeSockets(getpid()).size(), 1);
        QCOMPARE(QDir(officeFolder()).entryList({QStringLiteral("*-tmp-*")}, QDir::Dirs).size(), 1);
    }

    void anOfficeThatDoesNotAnswerIsEnded()
    {
        officeModule().setTimeouts(30s, 1500ms);
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        const Object document = open(word, fixture, true);
        const qint64 office = officeModule().processId();
        ::kill(pid_t(office), SIGSTOP);
        QElapsedTimer timer;
        timer.start();
        try {
            document.object(QStringLiteral("StoryRanges"));
            QFAIL("a call into a stopped office succeeded");
        } catch (const RuntimeError &error) {
            QVERIFY2(error.description().contains(QStringLiteral("did not answer")), qPrintable(error.description()));
        }
        QVERIFY(timer.elapsed() >= 1400 && timer.elapsed() < 5000);
        QVERIFY(waitUntilGone(office, 2000));
        officeModule().setTimeouts(15s, 10s); // the defaults
        const Object fresh = CreateObject(QStringLiteral("Word.Application"));
        QVERIFY(officeModule().processId() != office);
        fresh.call(QStringLiteral("Quit"));
    }

    void aStartThatDoesNotConnectInTimeIsEnded()
    {
        shutdownOfficeEngine();
        officeModule().setTimeouts(50ms, 10s);
        try {
            CreateObject(QStringLiteral("Word.Application"));
            QFAIL("an office started in 50 ms");
        } catch (const RuntimeError &error) {
            QVERIFY2(error.description().contains(QStringLiteral("did not start")), qPrintable(error.description()));
        }
        officeModule().setTimeouts(15s, 10s); // the defaults
        // No office is left on the profile.
        const QByteArray profile = QUrl::fromLocalFile(officeFolder() + QStringLiteral("/profile-1")).toEncoded();
        const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &pid : processes)
            QVERIFY(!(commandLine(pid.toLongLong()).contains(profile) && processRunning(pid.toLongLong())));
    }

    void aStaleOfficeOnTheProfileIsEnded()
    {
        shutdownOfficeEngine();
        // An office left running on our profile by an earlier run.
        QProcess stale;
        QProcessEnvironment staleEnvironment = QProcessEnvironment::systemEnvironment();
        const QString staleTemp = environment->root() + QStringLiteral("/stale-tmp");
        QDir().mkpath(staleTemp);
        for (const QString &name : {QStringLiteral("TMPDIR"), QStringLiteral("TMP"), QStringLiteral("TEMP")})
            staleEnvironment.insert(name, staleTemp);
        stale.setProcessEnvironment(staleEnvironment);
        const QString profile = officeFolder() + QStringLiteral("/profile-1");
        stale.start(QStringLiteral(LIBREOFFICE_PROGRAM_DIR "/soffice.bin"),
                    {QStringLiteral("--headless"), QStringLiteral("--invisible"), QStringLiteral("--norestore"),
                     QStringLiteral("--nologo"), QStringLiteral("--nodefault"),
                     QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile).toString(QUrl::FullyEncoded),
                     QStringLiteral("--accept=pipe,name=mistlefold-stale-%1;urp;").arg(getpid())});
        QVERIFY(stale.waitForStarted());
        QTest::qWait(1500);
        QCOMPARE(stale.state(), QProcess::Running);
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        // The start serves events while it waits: the stale office's end may be known already.
        QVERIFY(stale.state() == QProcess::NotRunning || stale.waitForFinished(5000));
        QVERIFY(!QFile::exists(QStringLiteral("/tmp/OSL_PIPE_%1_mistlefold-stale-%2").arg(getuid()).arg(getpid())));
        QCOMPARE(open(word, fixture, true).object(QStringLiteral("StoryRanges")).enumerate().size(), 3);
        word.call(QStringLiteral("Quit"));
    }

    void twoCopiesOfTheProgramUseTwoProfiles()
    {
        shutdownOfficeEngine();
        // Another copy of the program holds the first profile.
        QLockFile other(officeFolder() + QStringLiteral("/profile-1.lock"));
        QVERIFY(other.tryLock(0));
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        QVERIFY(commandLine(officeModule().processId()).contains("/profile-2\0"));
        word.call(QStringLiteral("Quit"));
        shutdownOfficeEngine();
    }

    void theOfficeEndsWithTheProgram_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("normal end") << "end";
        QTest::newRow("program killed") << "wait";
    }
    void theOfficeEndsWithTheProgram()
    {
        QFETCH(QString, ending);
        const QString cache = environment->root() + QStringLiteral("/child-cache-") + ending;
        QProcess program;
        QProcessEnvironment childEnvironment = QProcessEnvironment::systemEnvironment();
        childEnvironment.insert(QStringLiteral("XDG_CACHE_HOME"), cache);
        program.setProcessEnvironment(childEnvironment);
        program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/office_child"), {ending});
        QVERIFY(program.waitForReadyRead(60000));
        const QString line = QString::fromUtf8(program.readLine()).trimmed();
        QVERIFY2(line.startsWith(QStringLiteral("office ")), qPrintable(line));
        const qint64 office = line.mid(7).toLongLong();
        const qint64 programPid = program.processId();
        QVERIFY(processRunning(office));
        const QString ownSocket = singleInstanceSocket(cache + QStringLiteral("/mistlefold/office/profile-1"));
        QVERIFY(QFileInfo::exists(ownSocket));
        QElapsedTimer timer;
        timer.start();
        if (ending == QLatin1String("wait")) {
            program.kill();
            QVERIFY(program.waitForFinished(5000));
        } else {
            QVERIFY(program.waitForFinished(10000));
            QCOMPARE(program.exitCode(), 0);
        }
        QVERIFY(waitUntilGone(office, 1000));
        // The watcher (or the program's own clean-up) removes the office's files at once.
        const QString folder = cache + QStringLiteral("/mistlefold/office");
        while ((!QDir(folder).entryList({QStringLiteral("*-tmp-*")}, QDir::Dirs).isEmpty() || !pipeSockets(programPid).isEmpty())
               && timer.elapsed() < 3000)
            QThread::msleep(10);
        QCOMPARE(QDir(folder).entryList({QStringLiteral("*-tmp-*")}, QDir::Dirs), QStringList());
        QCOMPARE(pipeSockets(programPid), QStringList());
        QVERIFY2(timer.elapsed() < 1500, qPrintable(QString::number(timer.elapsed())));
        // Nor is the office's own socket for its profile left behind.
        QVERIFY(!QFileInfo::exists(ownSocket));
    }

    // A sharper picture for the preview, made on a worker thread while the user-interface thread
    // drives the office too: the calls are taken in turn, the picture has the page's logical size
    // and says how dense it is, and the document is closed again without a trace.
    void rendersTheFirstPageOnAWorkerThread()
    {
        const QString saved = work(QStringLiteral("sharp.doc"));
        QFile::copy(fixture, saved);
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        auto sharp = std::async(std::launch::async, [&] { return renderFirstPage(saved, 192); });
        for (int i = 0; i < 5; ++i) {
            const Object document = open(word, fixture, true);
            QCOMPARE(document.object(QStringLiteral("Shapes")).enumerate().size(), 5);
            document.call(QStringLiteral("Close"));
        }
        const QImage picture = sharp.get();
        word.call(QStringLiteral("Quit"));
        QCOMPARE(picture.size(), QSize(1632, 2112));
        QCOMPARE(picture.dotsPerMeterX(), 7559);
        QCOMPARE(picture.dotsPerMeterY(), 7559);
        QCOMPARE(qRound(picture.width() * 3780.0 / picture.dotsPerMeterX()), 816);
        QVERIFY(redPixels(picture) > 20);
        QCOMPARE(renderFirstPage(saved, 96).size(), QSize(816, 1056));
        // Opened read-only and closed: no lock file, no picture file left, the file itself intact.
        QCOMPARE(QDir(environment->tempFolder()).entryList({QStringLiteral(".~lock*")}, QDir::Files | QDir::Hidden),
                 QStringList());
        for (const QString &folder : QDir(officeFolder()).entryList({QStringLiteral("*-tmp-*")}, QDir::Dirs))
            QCOMPARE(QDir(officeFolder() + QLatin1Char('/') + folder).entryList({QStringLiteral("*.png")}, QDir::Files),
                     QStringList());
        QFile original(fixture);
        QFile copy(saved);
        QVERIFY(original.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), original.readAll());
    }

    void aPictureThatCannotBeMadeFailsWithADescription_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<double>("dotsPerInch");
        QTest::addColumn<bool>("officeRunning");
        QTest::addColumn<QString>("description");
        QTest::newRow("missing document") << "missing.doc" << 192.0 << true << "could not be found";
        QTest::newRow("no density") << "fixture.doc" << 0.0 << true << "dots per inch";
        QTest::newRow("no office running") << "fixture.doc" << 192.0 << false << "not running";
    }
    void aPictureThatCannotBeMadeFailsWithADescription()
    {
        QFETCH(QString, document);
        QFETCH(double, dotsPerInch);
        QFETCH(bool, officeRunning);
        QFETCH(QString, description);
        if (officeRunning)
            CreateObject(QStringLiteral("Word.Application")).call(QStringLiteral("Quit"));
        else
            shutdownOfficeEngine();
        try {
            renderFirstPage(work(document), dotsPerInch);
            QFAIL("a picture was made");
        } catch (const RuntimeError &error) {
            QVERIFY2(error.description().contains(description), qPrintable(error.description()));
        }
    }

    // On a screen of device pixel ratio 2 the picture has twice the pixels, the same logical size.
    void copiesAPictureAsSharpAsTheScreen()
    {
        QProcess program;
        QProcessEnvironment childEnvironment = QProcessEnvironment::systemEnvironment();
        childEnvironment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
        childEnvironment.insert(QStringLiteral("XDG_CACHE_HOME"), environment->root() + QStringLiteral("/child-cache-sharp"));
        program.setProcessEnvironment(childEnvironment);
        program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/office_child"),
                      {QStringLiteral("picture"), fixture});
        QVERIFY(program.waitForFinished(60000));
        const QStringList lines = QString::fromUtf8(program.readAllStandardOutput()).split(QLatin1Char('\n'));
        QVERIFY2(lines.contains(QStringLiteral("picture 1632x2112 7559")), qPrintable(lines.join(QLatin1Char('|'))));
        QCOMPARE(program.exitCode(), 0);
    }

    // Values are filled literally whatever they hold: emoji (two UTF-16 code units that the
    // office's text cursors may count as one character), combining marks and right-to-left text.
    // A control character that a .doc cannot hold is dropped alone, never the rest of the value.
    // Each field holds an emoji and a control character; both passes and both kinds of text
    // (word-processor frames and drawing shapes) are reached in the fixture, and the real template
    // is filled as the program fills it.
    void oddValuesAreFilledLiterally_data()
    {
        QTest::addColumn<QString>("document");
        QTest::newRow("fixture") << QString();
        QTest::newRow("template") << QStringLiteral(TEMPLATE_SOURCE);
    }
    void oddValuesAreFilledLiterally()
    {
        QFETCH(QString, document);
        ScriptedPartyDetails details;
        details.texts = {QStringLiteral("\U0001F384 The Ho\u0001llies \u05E9\u05DC\u05D5\u05DD"),
                         QStringLiteral("Zu\u0308rich\u000C \U0001F385\U0001F3FD"),
                         QStringLiteral("\U0001F384 Elm\u0007 Street"),
                         QStringLiteral("\u001FOre\u0301gon \u2728\U0001F384")};
        const QStringList filled = {QStringLiteral("\U0001F384 The Hollies \u05E9\u05DC\u05D5\u05DD"),
                                    QStringLiteral("Zu\u0308rich \U0001F385\U0001F3FD"),
                                    QStringLiteral("\U0001F384 Elm Street"),
                                    QStringLiteral("Ore\u0301gon \u2728\U0001F384")};
        const QList<TextRun> runs = fillAndReadBack(details, QStringLiteral("odd"), document);
        QVERIFY(!runs.isEmpty());
        QCOMPARE(boxes->reports(), QStringList());
        QString all;
        for (const TextRun &run : runs)
            all += run.text;
        for (const QString &placeholder : Placeholders)
            QVERIFY2(!all.contains(placeholder, Qt::CaseInsensitive), qPrintable(all));
        const QString where = filled[2] + QStringLiteral(", ") + filled[1] + QStringLiteral(", ") + filled[3];
        QVERIFY2(all.contains(where), qPrintable(all));
        QVERIFY2(all.contains(filled[0]), qPrintable(all));
        if (document.isEmpty()) {
            QCOMPARE(textIn(runs, HostShape), filled[0] + QStringLiteral(" invites you\nto ") + where);
            QCOMPARE(textIn(runs, AddressFrame), where);
            QVERIFY(textIn(runs, "header").contains(QStringLiteral("A party given by ") + filled[0]));
        }
    }

    // A value longer than any box shows is held whole in the saved document, in its place and
    // in order (the word processor lays out only its first part): the street with an emoji across
    // the point where the laid-out part ends, followed in its paragraph by the city and state. The
    // office reads a paragraph this long back as two, so paragraph ends are not compared.
    void aValueLongerThanAnyBoxShowsIsHeldWhole()
    {
        ScriptedPartyDetails details;
        QString street = QString(9999, QLatin1Char('x')) + QStringLiteral("\U0001F384");
        while (street.size() < 30000)
            street += QStringLiteral(" Evergreen Terrace");
        details.texts[2] = street;
        const QList<TextRun> runs = fillAndReadBack(details, QStringLiteral("long"));
        QVERIFY(!runs.isEmpty());
        QCOMPARE(boxes->reports(), QStringList());
        QCOMPARE(textIn(runs, AddressFrame).remove(QLatin1Char('\n')), street + QStringLiteral(", Springfield, Oregon"));
    }
};

QTEST_MAIN(OfficeEngineTest)
#include "tst_officeengine.moc"
