#include "generation/FitText.h"

#include "ScriptedWordParty.h"
#include "ScriptedWordServer.h"
#include "TestDoubles.h"

#include "automation/CreateObject.h"
#include "shell/Guard.h"

#include <QTest>

Q_DECLARE_METATYPE(ScriptedShape)

// The fitting pass against the scripted server, whose boxes overflow when their characters times
// their size exceed a capacity: which sizes it settles on, what it names as too long, how few
// sizes it tries, and how each failing statement is reported.
class FitTextTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> environment;
    std::unique_ptr<RecordingMessageBoxes> boxes;
    std::unique_ptr<ScriptedWordServer> server;
    ScriptedPartyDetails details; // The Hollies, Springfield, 12 Evergreen Terrace, Oregon, December 24, 7:05 P.M.
    QString documentPath;
    QStringList tooLong;

    // Runs the pass on a scripted document holding the shapes; returns the shapes afterwards.
    QList<ScriptedShape> fit(const QList<ScriptedShape> &shapes)
    {
        server->content.shapes = shapes;
        const Object word = CreateObject(ScriptedWordServer::ProgId);
        const Object document = word.object(u"Documents"_qs).call(u"Open"_qs, {documentPath}).toObject();
        server->log.clear();
        Guard guard(QStringLiteral("Form1"), QStringLiteral("PushButton6_Click"));
        tooLong = FitText(guard, document, details);
        return server->documents.last()->content.shapes;
    }

    // A box holding text at a size, with room for capacity / size characters.
    static ScriptedShape box(const QString &text, double size, double capacity, bool mixed = false)
    {
        ScriptedShape shape{text, std::nullopt};
        shape.fontSize = size;
        shape.capacity = capacity;
        shape.mixedSizes = mixed;
        return shape;
    }

private slots:
    void init()
    {
        environment = std::make_unique<TestEnvironment>();
        boxes = std::make_unique<RecordingMessageBoxes>();
        server = std::make_unique<ScriptedWordServer>();
        details = ScriptedPartyDetails();
        documentPath = environment->tempFolder() + QStringLiteral("/filled.doc");
        QFile file(documentPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    void cleanup()
    {
        server.reset();
        boxes.reset();
        environment.reset();
    }

    void settlesOnTheLargestSizeThatFitsLessTheMargin_data()
    {
        QTest::addColumn<ScriptedShape>("shape");
        QTest::addColumn<double>("size");
        QTest::addColumn<QStringList>("named");
        // "Springfield" is 11 characters: at size s it needs 11 s of capacity.
        QTest::newRow("fits: design size kept") << box("Springfield", 28, 11 * 28) << 28.0 << QStringList();
        QTest::newRow("fits at 27.5: one step below") << box("Springfield", 28, 11 * 27.5) << 27.0 << QStringList();
        QTest::newRow("fits only at 60 %, rounded up to a half point")
            << box("Springfield", 28, 11 * 17) << 17.0 << QStringList();
        QTest::newRow("not even at 60 %: left there, named") << box("Springfield", 28, 11 * 16.5) << 17.0 << QStringList{"City"};
        QTest::newRow("a design size between half points") << box("Springfield", 10.3, 11 * 9) << 8.5 << QStringList();
        QTest::newRow("mixed sizes: not shrunk, named")
            << box("Springfield", 12, 11 * 5, true) << 12.0 << QStringList{"City"};
        // The longest value of the box is the one named.
        QTest::newRow("where: the street") << box("12 Evergreen Terrace, Springfield, Oregon", 19, 40) << 11.5
                                           << QStringList{"Street Address"};
        QTest::newRow("when: the date") << box("December 24, at 7:05 P.M.", 25, 40) << 15.0 << QStringList{"Date"};
        QTest::newRow("text of its own only: nobody named") << box("Please join us", 17, 40) << 10.5 << QStringList();
    }
    void settlesOnTheLargestSizeThatFitsLessTheMargin()
    {
        QFETCH(ScriptedShape, shape);
        QFETCH(double, size);
        QFETCH(QStringList, named);
        const QList<ScriptedShape> after = fit({shape});
        QCOMPARE(after.first().fontSize, size);
        QCOMPARE(tooLong, named);
        QVERIFY(boxes->shown.isEmpty());
        // A box whose text fits is not touched at all.
        if (!shape.overflowing())
            QCOMPARE(server->logOf(QStringLiteral("Font.")), QStringList());
    }

    void triesAHandfulOfSizesNotEachOne()
    {
        // From 28 down to 17 are 22 half-point sizes.
        fit({box("Springfield", 28, 11 * 21.5)});
        QCOMPARE(server->documents.last()->content.shapes.first().fontSize, 21.0);
        QVERIFY2(server->logOf(QStringLiteral("Font.Size=")).size() <= 7,
                 qPrintable(server->logOf(QStringLiteral("Font.Size=")).join(QLatin1Char(' '))));
    }

    void namesEachFieldOnceInTheMainWindowsOrder()
    {
        details.texts = {QStringLiteral("A host with a long name"), QStringLiteral("A city with a long name"),
                         QStringLiteral("12 Evergreen Terrace"), QStringLiteral("Oregon")};
        const QList<ScriptedShape> after = fit({box("A city with a long name", 12, 10), box("Empty", 12, 0),
                                                box("A host with a long name", 12, 10),
                                                box("A city with a long name, twice", 12, 10)});
        QCOMPARE(tooLong, (QStringList{"Given By", "City"}));
        QCOMPARE(after.at(1).fontSize, 12.0);
    }

    void failuresAreReportedWithTheirLines_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<int>("after");
        QTest::addColumn<double>("fitsAt");
        QTest::addColumn<QList<int>>("lines");
        QTest::addColumn<double>("size");
        QTest::addColumn<QStringList>("named");
        // Two boxes: "Springfield" at 28 points, which fits at fitsAt, and one that fits as it is.
        QTest::newRow("the shapes: reported once")
            << "Document.Shapes" << 0 << 20.0 << QList<int>{216} << 28.0 << QStringList();
        QTest::newRow("overflowing: each box, left alone")
            << "TextFrame.Overflowing" << 0 << 20.0 << QList<int>{218, 218} << 28.0 << QStringList();
        QTest::newRow("the design size: the box is named")
            << "Font.Size" << 0 << 20.0 << QList<int>{220} << 28.0 << QStringList{"City"};
        QTest::newRow("a size while shrinking: the design size is put back, the box named")
            << "Font.Size" << 2 << 20.0 << QList<int>{222} << 28.0 << QStringList{"City"};
        QTest::newRow("the text of a box that cannot fit")
            << "Range.Text" << 0 << 10.0 << QList<int>{224} << 17.0 << QStringList();
    }
    void failuresAreReportedWithTheirLines()
    {
        QFETCH(QString, member);
        QFETCH(int, after);
        QFETCH(double, fitsAt);
        QFETCH(QList<int>, lines);
        QFETCH(double, size);
        QFETCH(QStringList, named);
        server->fail(member, QStringLiteral("Scripted failure"), after > 0 ? 1 : -1, after);
        const QList<ScriptedShape> shapes = fit({box("Springfield", 28, 11 * fitsAt), box("Oregon", 12, 0)});
        QCOMPARE(boxes->reportedLines(), lines);
        QCOMPARE(shapes.first().fontSize, size);
        QCOMPARE(shapes.last().fontSize, 12.0);
        QCOMPARE(tooLong, named);
        for (const QString &report : boxes->reports())
            QVERIFY(report.contains(QStringLiteral("Form1.PushButton6_Click")));
    }
};

QTEST_MAIN(FitTextTest)
#include "tst_fittext.moc"
