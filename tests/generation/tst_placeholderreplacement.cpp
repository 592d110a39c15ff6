#include "generation/PlaceholderReplacement.h"

#include "ScriptedWordParty.h"
#include "ScriptedWordServer.h"
#include "TestFixture.h"

#include "automation/CreateObject.h"
#include "shell/Guard.h"

#include <QTest>

Q_DECLARE_METATYPE(Variant)

// Placeholder replacement against the scripted server: the order of the two passes, their find
// settings, the values they read, and how each failing statement is reported.
class PlaceholderReplacementTest : public TestFixture
{
    Q_OBJECT

private:
    std::unique_ptr<ScriptedWordServer> server;
    ScriptedPartyDetails details;
    QString templatePath;

    // Opens a scripted document and runs the replacement on it; returns the document's state.
    std::shared_ptr<ScriptedDocument> replace()
    {
        const Object word = CreateObject(ScriptedWordServer::ProgId);
        const Object document = word.object(QStringLiteral("Documents")).call(QStringLiteral("Open"), {templatePath}).toObject();
        server->log.clear();
        Guard guard(QStringLiteral("Form1"), QStringLiteral("PushButton6_Click"));
        ReplacePlaceholders(guard, document, details);
        return server->documents.last();
    }

    static ScriptedShape shape(const QString &text) { return {text, std::nullopt}; }

private slots:
    void init()
    {
        TestFixture::init();
        server = std::make_unique<ScriptedWordServer>();
        details = ScriptedPartyDetails();
        details.readLog = &server->log;
        templatePath = environment->tempFolder() + QStringLiteral("/template.dot");
        QFile file(templatePath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        server->content.stories = {QStringLiteral("Hosted by [GivenBy] in [City], [Address], [State] on [Date]"),
                                   QStringLiteral("[givenby] at [TIME]")};
        server->content.shapes = {shape(QStringLiteral("[Date], at [Time]")),
                                  shape(QStringLiteral("[Address], [City], [State]")), shape(QString()),
                                  shape(QStringLiteral("[GivenBy]"))};
    }

    void cleanup()
    {
        server.reset();
        TestFixture::cleanup();
    }

    void fillsStoriesWithTheTextFieldsAndShapesWithAllSix()
    {
        const auto document = replace();
        QVERIFY(boxes->shown.isEmpty());
        // Stories: the four text fields, in any letter case; the date stays (only shapes get it).
        QCOMPARE(document->content.stories.at(0),
                 QStringLiteral("Hosted by The Hollies in Springfield, 12 Evergreen Terrace, Oregon on [Date]"));
        QCOMPARE(document->content.stories.at(1), QStringLiteral("The Hollies at [TIME]"));
        QCOMPARE(document->content.shapes.at(0).text, QStringLiteral("December 24, at 7:05 P.M."));
        QCOMPARE(document->content.shapes.at(1).text, QStringLiteral("12 Evergreen Terrace, Springfield, Oregon"));
        QCOMPARE(document->content.shapes.at(2).text, QString());
        QCOMPARE(document->content.shapes.at(3).text, QStringLiteral("The Hollies"));
    }

    void storyPassSetsTheFindObjectInTableOrder()
    {
        server->content.stories = {QStringLiteral("[GivenBy]")};
        server->content.shapes.clear();
        replace();
        const QStringList firstStory = server->log.mid(0, 26);
        QCOMPARE(firstStory, (QStringList{
            "Document.StoryRanges", "StoryRanges.ForEach",
            "Range.Find", "Find.ClearFormatting()",
            "Range.Find", "Find.Replacement", "Replacement.ClearFormatting()",
            "Range.Find",
            "Details.tag(0)", "Find.Text=[GivenBy]",
            "Find.Replacement", "Details.text(0)", "Replacement.Text=The Hollies",
            "Find.Forward=True", "Find.Wrap=1&", "Find.Format=False", "Find.MatchCase=False",
            "Find.MatchWholeWord=False", "Find.MatchWildcards=False", "Find.MatchSoundsLike=False",
            "Find.MatchAllWordForms=False", "Find.Execute(Replace:=2%)",
            // The collection is asked again for the next field.
            "Document.StoryRanges", "StoryRanges.ForEach", "Range.Find", "Find.ClearFormatting()"}));
        QCOMPARE(server->logOf(QStringLiteral("Find.Text=")),
                 (QStringList{"Find.Text=[GivenBy]", "Find.Text=[City]", "Find.Text=[Address]", "Find.Text=[State]"}));
    }

    void shapePassUsesElevenPositionalArgumentsThroughAFreshChain()
    {
        server->content.stories.clear();
        server->content.shapes = {shape(QStringLiteral("[Date], at [Time]"))};
        replace();
        const QStringList executes = server->logOf(QStringLiteral("Find.Execute"));
        QCOMPARE(executes, (QStringList{
            "Find.Execute([GivenBy],,,,,,,,,The Hollies,2%)", "Find.Execute([City],,,,,,,,,Springfield,2%)",
            "Find.Execute([Address],,,,,,,,,12 Evergreen Terrace,2%)", "Find.Execute([State],,,,,,,,,Oregon,2%)",
            "Find.Execute([Date],,,,,,,,,December 24,2%)", "Find.Execute([Time],,,,,,,,,7:05 P.M.,2%)"}));
        // Each replacement walks shape, text frame, text range and find anew.
        QCOMPARE(server->logOf(QStringLiteral("Shape.TextFrame")).size(), 1 + 6);
        QCOMPARE(server->logOf(QStringLiteral("TextFrame.TextRange")).size(), 6);
        QCOMPARE(server->logOf(QStringLiteral("Range.Find")).size(), 6);
        // The values are read as each replacement is made, not before the pass.
        const qsizetype dateRead = server->log.indexOf(QStringLiteral("Details.partyDate"));
        QVERIFY(dateRead > server->log.indexOf(executes.at(3)));
        QVERIFY(dateRead < server->log.indexOf(executes.at(4)));
    }

    void valuesHoldingPlaceholdersAndEmptyValues()
    {
        server->content.stories = {QStringLiteral("By [GivenBy] of [City] at [Address]!")};
        server->content.shapes = {shape(QStringLiteral("[GivenBy] / [City] / [Address]"))};
        details.texts = {QStringLiteral("[City]"), QStringLiteral("[GivenBy]"), QString(), QStringLiteral("Oregon")};
        const auto document = replace();
        // A later placeholder in a value is filled; an earlier one stays as typed; empty removes.
        QCOMPARE(document->content.stories.at(0), QStringLiteral("By [GivenBy] of [GivenBy] at !"));
        QCOMPARE(document->content.shapes.at(0).text, QStringLiteral("[GivenBy] / [GivenBy] / "));
    }

    void hasTextAnswers_data()
    {
        QTest::addColumn<Variant>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("true") << Variant(qint32(-1)) << true;
        QTest::newRow("any non-zero") << Variant(qint16(1)) << true;
        QTest::newRow("zero") << Variant(qint32(0)) << false;
        QTest::newRow("null") << Variant() << false;
        QTest::newRow("boolean false") << Variant(false) << false;
    }
    void hasTextAnswers()
    {
        QFETCH(Variant, answer);
        QFETCH(bool, replaced);
        server->content.stories.clear();
        server->content.shapes = {{QStringLiteral("[City]"), answer}};
        const auto document = replace();
        QCOMPARE(document->content.shapes.at(0).text == QStringLiteral("Springfield"), replaced);
        QVERIFY(boxes->shown.isEmpty());
    }

    void failingHasTextCountsAsTrue()
    {
        server->content.stories.clear();
        server->content.shapes = {{QStringLiteral("[City]"), Variant(qint32(0))}};
        server->fail(QStringLiteral("TextFrame.HasText"), QStringLiteral("Shape is busy"));
        const auto document = replace();
        QCOMPARE(boxes->reportedLines(), QList<int>{156});
        QVERIFY(boxes->reports().first().startsWith(QStringLiteral("Shape is busy\r\n")));
        QCOMPARE(document->content.shapes.at(0).text, QStringLiteral("Springfield"));
    }

    void failuresAreReportedWithTheirLines_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QList<int>>("lines");
        const QList<int> withoutFind{122, 124, 126, 128, 130, 132, 134, 136, 138, 140, 142, 144, 146, 148};
        // One story, one shape with text: the story pass runs four times, the shape pass once.
        QTest::newRow("story collection: reported once per field, loop skipped")
            << "Document.StoryRanges" << QList<int>{118, 118, 118, 118};
        QTest::newRow("find object: every statement using it fails")
            << "Range.Find" << withoutFind + withoutFind + withoutFind + withoutFind
                                   + QList<int>{160, 160, 160, 160, 164, 166};
        QTest::newRow("replacement text") << "Replacement.Text" << QList<int>{130, 130, 130, 130};
        QTest::newRow("a setting") << "Find.MatchWildcards" << QList<int>{142, 142, 142, 142};
        QTest::newRow("execute: both passes")
            << "Find.Execute" << QList<int>{148, 148, 148, 148, 160, 160, 160, 160, 164, 166};
        QTest::newRow("shape collection: reported once") << "Document.Shapes" << QList<int>{154};
        QTest::newRow("text range") << "TextFrame.TextRange" << QList<int>{160, 160, 160, 160, 164, 166};
    }
    void failuresAreReportedWithTheirLines()
    {
        QFETCH(QString, member);
        QFETCH(QList<int>, lines);
        server->content.stories = {QStringLiteral("[City]")};
        server->content.shapes = {shape(QStringLiteral("[Date]"))};
        server->fail(member, QStringLiteral("Scripted failure"));
        replace();
        QCOMPARE(boxes->reportedLines(), lines);
        for (const QString &report : boxes->reports())
            QVERIFY(report.contains(QStringLiteral("Form1.PushButton6_Click")));
    }

    void aFailureDoesNotStopTheRest()
    {
        // Only the very first Execute fails ("[GivenBy]" in the first story): the second story,
        // the later fields and every shape are still done.
        server->content.stories = {QStringLiteral("[GivenBy] in [City]"), QStringLiteral("[GivenBy] two")};
        server->content.shapes = {shape(QStringLiteral("[GivenBy]"))};
        server->fail(QStringLiteral("Find.Execute"), QStringLiteral("Scripted failure"), 1);
        const auto document = replace();
        QCOMPARE(boxes->reportedLines(), QList<int>{148});
        QCOMPARE(document->content.stories, (QStringList{"[GivenBy] in Springfield", "The Hollies two"}));
        QCOMPARE(document->content.shapes.at(0).text, QStringLiteral("The Hollies"));
    }
};

QTEST_MAIN(PlaceholderReplacementTest)
#include "tst_placeholderreplacement.moc"
