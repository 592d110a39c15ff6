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

// A word pdftotext finds on page 1, with its box in points.
struct PageWord
{
    QString text;
    QRectF box;
};

QList<PageWord> wordsWithin(const QString &pdf, const QRectF &area)
{
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<PageWord> words;
    const QString page = popplerOutput(QStringLiteral("pdftotext"),
                                       {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                                        QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")});
    for (const QRegularExpressionMatch &m : word.globalMatch(page)) {
        const QRectF box(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                         QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
        if (area.contains(box.center()))
            words.append({m.captured(5), box});
    }
    return words;
}

// Hebrew, Arabic and the other scripts written from right to left.
bool isRightToLeft(const QString &text)
{
    static const QRegularExpression rightToLeft(QStringLiteral("[\\x{0590}-\\x{08FF}]"));
    return text.contains(rightToLeft);
}

// The words of a box in the order they are read: line by line, left to right, and a run of
// right-to-left words from its right end, each word's letters put back in the order they were
// typed (pdftotext gives them as they are drawn). Commas left out.
QStringList readingOrder(QList<PageWord> words)
{
    std::sort(words.begin(), words.end(), [](const PageWord &a, const PageWord &b) {
        return std::pair(std::round(a.box.top()), a.box.left()) < std::pair(std::round(b.box.top()), b.box.left());
    });
    QStringList read;
    qsizetype runStart = -1; // where the right-to-left run being read began
    double line = -1;
    for (const PageWord &word : std::as_const(words)) {
        QString text = word.text;
        if (text.remove(QLatin1Char(',')).isEmpty())
            continue;
        const bool newLine = std::round(word.box.top()) != line;
        line = std::round(word.box.top());
        if (!isRightToLeft(text)) {
            runStart = -1;
            read.append(text);
            continue;
        }
        std::reverse(text.begin(), text.end());
        if (runStart < 0 || newLine)
            runStart = read.size();
        read.insert(runStart, text);
    }
    return read;
}

// The PostScript names of the fonts on the machine that draw a language ("he", "ja"...).
QStringList fontsCovering(const QString &language)
{
    return popplerOutput(QStringLiteral("fc-list"), {QLatin1Char(':') + QStringLiteral("lang=") + language,
                                                     QStringLiteral("postscriptname")})
        .remove(QStringLiteral(":postscriptname="))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
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
        QTest::addColumn<QString>("words");
        QTest::newRow("host") << 0 << "Given By" << "Mistletoe and holly ";
        QTest::newRow("street") << 2 << "Street Address" << "Mistletoe and holly ";
        QTest::newRow("Hebrew city") << 1 << "City" << u"\u05D7\u05D2 \u05E9\u05DE\u05D7\u05D4 "_qs;
    }
    void aValueThatCannotFitIsNamed()
    {
        QFETCH(int, field);
        QFETCH(QString, name);
        QFETCH(QString, words);
        ScriptedPartyDetails details = sample();
        details.texts[field] = words.repeated(2000 / words.size());
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

    // A value in any script is set as large as the Latin words beside it, in fonts the PDF carries
    // that draw the script; a right-to-left run keeps its reading order; a long one is made to fit.
    void everyScriptIsSetLikeItsLatin_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("language"); // as fontconfig names it
        QTest::newRow("Hebrew city") << 1 << u"Tel Aviv \u05EA\u05DC \u05D0\u05D1\u05D9\u05D1"_qs << "he";
        QTest::newRow("Arabic host") << 0 << u"Ilse Ketterly \u0639\u0627\u0626\u0644\u0629 \u0643\u064A\u062A\u064A\u0631\u0644\u064A"_qs << "ar";
        QTest::newRow("Chinese street") << 2 << u"88 \u957F\u5B89\u8857 Avenue"_qs << "zh-cn";
        QTest::newRow("Japanese street") << 2 << u"Larkspur \u685C\u901A\u308A 417"_qs << "ja";
        QTest::newRow("Korean city") << 1 << u"Seoul \uC11C\uC6B8"_qs << "ko";
        QTest::newRow("Thai host") << 0 << u"Ilse \u0E04\u0E23\u0E2D\u0E1A\u0E04\u0E23\u0E31\u0E27"_qs << "th";
        QTest::newRow("Devanagari host") << 0 << u"Ilse \u092A\u0930\u093F\u0935\u093E\u0930"_qs << "hi";
        QTest::newRow("Greek city") << 1 << u"Athens \u0391\u03B8\u03AE\u03BD\u03B1"_qs << "el";
        QTest::newRow("Cyrillic city") << 1 << u"Moscow \u041C\u043E\u0441\u043A\u0432\u0430"_qs << "ru";
        QTest::newRow("long Hebrew host") << 0 << u"Ketterly \u05DE\u05E9\u05E4\u05D7\u05EA \u05E7\u05D8\u05E8\u05DC\u05D9 "_qs.repeated(4).trimmed() << "he";
    }
    void everyScriptIsSetLikeItsLatin()
    {
        QFETCH(int, field);
        QFETCH(QString, value);
        QFETCH(QString, language);
        ScriptedPartyDetails details = sample();
        details.texts[field] = value;
        const QString document = work(QStringLiteral("script.doc"));
        QCOMPARE(fill(details, document), QStringList());
        const QString pdf = work(QStringLiteral("script.pdf"));
        ExportPdf(document, pdf);

        static const QRegularExpression latin(QStringLiteral("^[A-Za-z]+,?$"));
        static const QRegularExpression notAscii(QStringLiteral("[^\\x00-\\x7F]"));
        const QStringList valueWords = value.split(QLatin1Char(' '));
        const QList<PageWord> words = wordsWithin(pdf, field == 0 ? HostBox : WhereBox);
        double latinHeight = 0;
        QList<PageWord> scriptWords;
        for (const PageWord &word : words) {
            if (latin.match(word.text).hasMatch() && valueWords.contains(word.text.chopped(word.text.endsWith(QLatin1Char(',')))))
                latinHeight = std::max(latinHeight, word.box.height());
            else if (word.text.contains(notAscii))
                scriptWords.append(word);
        }
        QVERIFY(latinHeight > 0);
        QVERIFY(!scriptWords.isEmpty());
        for (const PageWord &word : std::as_const(scriptWords))
            QVERIFY2(word.box.height() >= 0.85 * latinHeight,
                     qPrintable(u"%1: %2 of the Latin height"_qs.arg(word.text).arg(word.box.height() / latinHeight)));
        // Every font of the page is embedded; the script is drawn in one that has its letters, and
        // every font besides the Latin ones of the sample has them (no empty boxes).
        const QStringList rows = pdfFonts(pdf);
        const QStringList covering = fontsCovering(language);
        bool drawn = false;
        for (const QString &row : rows) {
            QVERIFY2(isEmbedded(row), qPrintable(row));
            const QString name = row.section(QLatin1Char(' '), 0, 0).section(QLatin1Char('+'), -1); // no subset tag
            QVERIFY2(name.startsWith(u"Liberation"_qs) || covering.contains(name), qPrintable(row));
            drawn = drawn || covering.contains(name);
        }
        QVERIFY2(drawn, qPrintable(rows.join(QLatin1Char('\n'))));
        // Hebrew and Arabic read in the order they were typed, beside the Latin words.
        if (isRightToLeft(value)) {
            const QString line = field == 0 ? value : QStringList{details.texts[2], value, details.texts[3]}.join(u", "_qs);
            QCOMPARE(readingOrder(words).join(QLatin1Char(' ')), QString(line).remove(QLatin1Char(',')));
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
