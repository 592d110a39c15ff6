// The real template filled with the real office: long values made to fit their boxes, and the
// invitation exported as PDF. What the page shows is read from PDFs with poppler's tools.
#include "Poppler.h"
#include "ScriptedWordParty.h"
#include "TestDoubles.h"

#include "automation/CreateObject.h"
#include "generation/ExportPdf.h"
#include "generation/FitText.h"
#include "generation/PlaceholderReplacement.h"
#include "office/OfficeEngine.h"
#include "shell/Guard.h"
#include "shell/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QRectF>
#include <QRegularExpression>
#include <QTest>

#include <cmath>

namespace {

const QString Street71 = QStringLiteral("12345 North Old Mill Creek Settlement Road, Apartment 1407B, Building C");
const QString LongCity = QStringLiteral("Port Saint Lucie Gardens by the Sea");
const QString Host87 =
    QStringLiteral("The Very Reverend Doctor Bartholomew Fitzgerald Montgomery and Lady Evangeline Ashworth");

// The sample invitation ("Load Sample/Example Data").
ScriptedPartyDetails sample()
{
    ScriptedPartyDetails details;
    details.texts = {QStringLiteral("Ilse and Bram Ketterly"), QStringLiteral("North Vellmont"),
                     QStringLiteral("417 Larkspur Avenue"), QStringLiteral("WA")};
    details.date = QDateTime(QDate(2026, 12, 8), QTime(0, 0));
    details.time = QDateTime(QDate(2026, 1, 1), QTime(19, 30));
    return details;
}

// Where the template's boxes for the long values lie on the page, in points: text the office cuts
// off below a box is still in the PDF, drawn outside the box and clipped away.
const QRectF WhereBox(72, 474.48, 468, 47.52);
const QRectF HostBox(72, 584.64, 468, 70.56);
const QRectF WholePage(0, 0, 612, 792);

// The text of page 1 inside the area, with every run of white space (line ends included) as one
// space.
QString textWithin(const QString &pdf, const QRectF &area)
{
    // In whole points, rounded outwards.
    const QRect points = area.toAlignedRect();
    const auto number = [](int value) { return QString::number(value); };
    return popplerOutput(QStringLiteral("pdftotext"),
                         {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                          QStringLiteral("-x"), number(points.x()), QStringLiteral("-y"), number(points.y()),
                          QStringLiteral("-W"), number(points.width()), QStringLiteral("-H"), number(points.height()),
                          pdf, QStringLiteral("-")})
        .simplified();
}

Object open(const Object &word, const QString &path)
{
    return word.object(u"Documents"_qs).call(u"Open"_qs, {path}, {{u"ReadOnly"_qs, true}}).toObject();
}

// The text frames of the document's boxes that hold text, in the page's order.
QList<Object> textBoxes(const Object &document)
{
    QList<Object> boxes;
    for (const Variant &shape : document.object(u"Shapes"_qs).enumerate()) {
        const Object frame = shape.toObject().object(u"TextFrame"_qs);
        if (frame.get(u"HasText"_qs).toBool())
            boxes.append(frame);
    }
    return boxes;
}

double sizeOf(const Object &box)
{
    return box.object(u"TextRange"_qs).object(u"Font"_qs).get(u"Size"_qs).toDouble();
}

} // namespace

class FitOfficeTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> environment;
    std::unique_ptr<RecordingMessageBoxes> boxes;
    QString templatePath;
    QList<double> designSizes; // of the template's boxes, in the page's order

    QString work(const QString &name) const { return environment->tempFolder() + QLatin1Char('/') + name; }

    // Fills the template as the generation does, makes its text fit and saves it as .doc.
    // Returns the fields the fitting pass could not make fit.
    QStringList fill(const ScriptedPartyDetails &details, const QString &documentPath)
    {
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        const Object document = open(word, templatePath);
        Guard guard(QStringLiteral("Form1"), QStringLiteral("PushButton6_Click"));
        ReplacePlaceholders(guard, document, details);
        const QStringList tooLong = FitText(guard, document, details);
        document.call(u"SaveAs"_qs, {documentPath});
        document.call(u"Close"_qs);
        word.call(u"Quit"_qs);
        return tooLong;
    }

    // The sizes of the saved document's boxes, as the document is read back.
    static QList<double> sizesIn(const QString &documentPath)
    {
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        QList<double> sizes;
        for (const Object &box : textBoxes(open(word, documentPath)))
            sizes.append(sizeOf(box));
        word.call(u"Quit"_qs);
        return sizes;
    }

private slots:
    void initTestCase()
    {
        environment = std::make_unique<TestEnvironment>();
        boxes = std::make_unique<RecordingMessageBoxes>();
        registerOfficeEngine();
        templatePath = work(QStringLiteral("template.dot"));
        QVERIFY(QFile::copy(QStringLiteral(":/CUSTOM/101"), templatePath));
        designSizes = sizesIn(templatePath);
        QCOMPARE(designSizes.size(), 8);
    }

    void cleanupTestCase()
    {
        shutdownOfficeEngine();
        QCOMPARE(boxes->texts(), QStringList());
    }

    void theSampleInvitationKeepsItsDesignSizes()
    {
        const QString document = work(QStringLiteral("sample.doc"));
        QCOMPARE(fill(sample(), document), QStringList());
        QCOMPARE(sizesIn(document), designSizes);
    }

    // The street that ran to a third line in the "Where" box, and the host that ran to a third
    // line in the "Given by" box, each cut off below its box before.
    void longValuesAreShrunkJustEnoughAndShowInFull()
    {
        ScriptedPartyDetails details = sample();
        details.texts = {Host87, LongCity, Street71, QStringLiteral("Washington")};
        const QString document = work(QStringLiteral("long.doc"));
        QCOMPARE(fill(details, document), QStringList());

        // Only the two boxes with the long values changed, and no further down than needed: two
        // half-point steps up (past the margin of one) the text overflows again.
        const QList<double> sizes = sizesIn(document);
        QCOMPARE(sizes.size(), designSizes.size());
        QList<int> shrunk;
        for (int i = 0; i < sizes.size(); ++i) {
            if (sizes.at(i) == designSizes.at(i))
                continue;
            shrunk.append(i);
            QVERIFY(sizes.at(i) < designSizes.at(i) && sizes.at(i) >= 0.6 * designSizes.at(i));
        }
        QCOMPARE(shrunk.size(), 2);
        const Object word = CreateObject(QStringLiteral("Word.Application"));
        const QList<Object> boxesRead = textBoxes(open(word, document));
        for (const int i : shrunk) {
            const Object &box = boxesRead.at(i);
            QVERIFY(!box.get(u"Overflowing"_qs).toBool());
            box.object(u"TextRange"_qs).object(u"Font"_qs).set(u"Size"_qs, sizes.at(i) + 1.0);
            QVERIFY2(box.get(u"Overflowing"_qs).toBool(), qPrintable(QString::number(sizes.at(i))));
        }
        word.call(u"Quit"_qs);

        // Page 1 of the saved document, as the office draws it, shows every word of both inside
        // its box.
        const QString pdf = work(QStringLiteral("long.pdf"));
        ExportPdf(document, pdf);
        const struct { QRectF box; QStringList values; } shown[] = {
            {WhereBox, {Street71, LongCity, QStringLiteral("Washington")}}, {HostBox, {Host87}}};
        for (const auto &expected : shown) {
            const QString text = textWithin(pdf, expected.box);
            for (const QString &value : expected.values)
                for (const QString &word : value.split(QLatin1Char(' ')))
                    QVERIFY2(text.contains(word), qPrintable(word + QStringLiteral(" is not shown in: ") + text));
        }
    }

    void aValueThatCannotFitIsNamed_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("name");
        QTest::newRow("host") << 0 << "Given By";
        QTest::newRow("street") << 2 << "Street Address";
    }
    void aValueThatCannotFitIsNamed()
    {
        QFETCH(int, field);
        QFETCH(QString, name);
        ScriptedPartyDetails details = sample();
        details.texts[field] = QStringLiteral("Mistletoe and holly ").repeated(100);
        QCOMPARE(details.texts[field].size(), 2000);
        const QString document = work(QStringLiteral("too-long.doc"));
        QCOMPARE(fill(details, document), QStringList{name});
        // The box is left at the smallest size, showing as much as it can.
        const QList<double> sizes = sizesIn(document);
        int smallest = 0;
        for (int i = 0; i < sizes.size(); ++i)
            smallest += sizes.at(i) == std::ceil(designSizes.at(i) * 0.6 * 2) / 2;
        QCOMPARE(smallest, 1);
    }

    void theInvitationIsExportedAsPdf()
    {
        const QString document = work(QStringLiteral("sample.doc"));
        QCOMPARE(fill(sample(), document), QStringList());
        const QString folder = environment->root() + QStringLiteral("/Documents");
        QVERIFY(QDir().mkpath(folder));
        const QString pdf = folder + QStringLiteral("/Ketterly party.pdf");
        QFile earlier(pdf);
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("an earlier invitation") > 0);
        earlier.close();
        QVERIFY(earlier.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));

        ExportPdf(document, pdf);

        // It took the earlier file's place, keeping who may read it; nothing else is left.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"Ketterly party.pdf"});
        QCOMPARE(QFile::permissions(pdf), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);
        // One Letter page, the template's.
        const QString info = popplerOutput(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+612 x 792 pts"))), qPrintable(info));
        const QString page = textWithin(pdf, WholePage);
        for (const char *value : {"Ilse and Bram Ketterly", "417 Larkspur Avenue, North Vellmont, WA", "December 8, at 7:30 P.M."})
            QVERIFY2(page.contains(QLatin1String(value)), value);
        // Every font travels with the file.
        const QStringList fonts = popplerOutput(QStringLiteral("pdffonts"), {pdf}).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
        QVERIFY(!fonts.isEmpty());
        for (const QString &font : fonts)
            QVERIFY2(font.simplified().split(QLatin1Char(' ')).value(3) == QLatin1String("yes"), qPrintable(font));
        // The artwork's pieces at their full 200 pixels per inch, none recompressed as JPEG.
        const QStringList images = popplerOutput(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
        QVERIFY(!images.isEmpty());
        for (const QString &line : images) {
            const QStringList image = line.simplified().split(QLatin1Char(' '));
            QVERIFY2(image.value(8) != QLatin1String("jpeg"), qPrintable(line));
            QVERIFY2(image.value(12).toInt() >= 199 && image.value(13).toInt() >= 199, qPrintable(line));
        }
    }

    // Emoji typed in a field are drawn, in a font the PDF carries (Debian's Symbola; a colour
    // emoji font's glyphs would vanish from the PDF).
    void emojiAreDrawnOnThePage()
    {
        ScriptedPartyDetails details = sample();
        details.texts[0] = QStringLiteral("Ilse and Bram \U0001F384\u2603");
        const QString document = work(QStringLiteral("emoji.doc"));
        QCOMPARE(fill(details, document), QStringList());
        const QString pdf = work(QStringLiteral("emoji.pdf"));
        ExportPdf(document, pdf);
        QVERIFY(textWithin(pdf, WholePage).contains(QStringLiteral("\U0001F384")));
        const QString fonts = popplerOutput(QStringLiteral("pdffonts"), {pdf});
        QVERIFY2(fonts.contains(QRegularExpression(QStringLiteral("Symbola\\s+TrueType.*yes"))), qPrintable(fonts));
    }
};

QTEST_MAIN(FitOfficeTest)
#include "tst_fit_office.moc"
