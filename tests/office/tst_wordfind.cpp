#include "office/WordFind.h"

#include "shell/RuntimeError.h"

#include <QTest>

// The find-and-replace rules both "Word.Application" servers apply to a piece of text.
class WordFindTest : public QObject
{
    Q_OBJECT

private:
    static FindSettings settings(const QString &text, const QString &replacement)
    {
        FindSettings result;
        result.text = text;
        result.replacementText = replacement;
        return result;
    }

private slots:
    void replaceAll_data()
    {
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("wholeWord");
        QTest::addColumn<bool>("wildcards");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("any letter case") << "[City]" << "Springfield" << false << false << false
                                         << "[City], [CITY] and [city]" << "Springfield, Springfield and Springfield";
        QTest::newRow("match case") << "[City]" << "Springfield" << true << false << false
                                    << "[City] and [city]" << "Springfield and [city]";
        QTest::newRow("brackets and dots are literal") << "a.b[c]" << "x" << false << false << false
                                                       << "a.b[c] axb[c] a.bc" << "x axb[c] a.bc";
        QTest::newRow("replacement is not rescanned") << "[A]" << "[A][A]" << false << false << false
                                                      << "[A]" << "[A][A]";
        QTest::newRow("empty replacement removes") << "[State]" << "" << false << false << false
                                                   << "Oregon [State]!" << "Oregon !";
        QTest::newRow("whole word") << "cat" << "dog" << false << true << false
                                    << "cat catalog bobcat cat." << "dog catalog bobcat dog.";
        QTest::newRow("whole word across letters of any script") << "año" << "year" << false << true << false
                                                                 << "año añoso" << "year añoso";
        QTest::newRow("special codes in the find text") << "^#^#^?" << "N" << false << false << false
                                                        << "12a 3b 45c" << "N 3b N";
        QTest::newRow("caret and tab codes") << "a^^b^tc" << "x" << false << false << false
                                             << "a^b\tc" << "x";
        QTest::newRow("found text in the replacement") << "[City]" << "<^&>" << false << false << false
                                                       << "[city]" << "<[city]>";
        QTest::newRow("wildcards: any characters, lazily") << "\\[*\\]" << "X" << false << false << true
                                                           << "[Date], at [Time]" << "X, at X";
        QTest::newRow("wildcards: one or more, character class") << "[0-9]@" << "#" << false << false << true
                                                                 << "7:05 on 24" << "#:# on #";
        QTest::newRow("wildcards: negated class and counts") << "[!a-z]{2}" << "_" << false << false << true
                                                             << "abC1d" << "ab_d";
        QTest::newRow("wildcards: groups in the replacement") << "(<[A-Z][a-z]@) (<[A-Z][a-z]@)" << "\\2 \\1"
                                                              << false << false << true << "Hollies The" << "The Hollies";
        QTest::newRow("wildcards: escaped special and case") << "\\[City\\]" << "S" << false << false << true
                                                             << "[City] [city]" << "S [city]";
        QTest::newRow("wildcards: word start and end") << "<in>" << "IN" << false << false << true
                                                       << "in inn pin in." << "IN inn pin IN.";
    }
    void replaceAll()
    {
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(bool, matchCase);
        QFETCH(bool, wholeWord);
        QFETCH(bool, wildcards);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        FindSettings s = settings(find, replacement);
        s.matchCase = matchCase;
        s.matchWholeWord = wholeWord;
        s.matchWildcards = wildcards;
        QCOMPARE(TextMatcher(s).replace(text, ReplaceMode::All), expected);
    }

    void replaceModes()
    {
        const TextMatcher matcher(settings(QStringLiteral("x"), QStringLiteral("y")));
        int count = 0;
        QCOMPARE(matcher.replace(QStringLiteral("xax"), ReplaceMode::None, &count), QStringLiteral("xax"));
        QCOMPARE(count, 2);
        QCOMPARE(matcher.replace(QStringLiteral("xax"), ReplaceMode::One, &count), QStringLiteral("yax"));
        QCOMPARE(count, 1);
        QCOMPARE(TextMatcher(settings(QString(), QStringLiteral("y"))).replace(QStringLiteral("abc"), ReplaceMode::All, &count),
                 QStringLiteral("abc"));
        QCOMPARE(count, 0);
    }

    void invalidPatternsFailWithADescription_data()
    {
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<bool>("wildcards");
        QTest::newRow("unknown find code") << "^q" << "" << false;
        QTest::newRow("unknown replacement code") << "a" << "^q" << false;
        QTest::newRow("unclosed class") << "[abc" << "" << true;
        QTest::newRow("unbalanced group") << "(ab" << "" << true;
        QTest::newRow("repeat of nothing") << "@a" << "" << true;
        QTest::newRow("bad count") << "a{x}" << "" << true;
    }
    void invalidPatternsFailWithADescription()
    {
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(bool, wildcards);
        FindSettings s = settings(find, replacement);
        s.matchWildcards = wildcards;
        try {
            TextMatcher matcher(s);
            QFAIL("no failure");
        } catch (const RuntimeError &error) {
            QVERIFY(!error.description().isEmpty());
        }
    }

    void executeArgumentsUpdateTheSettings()
    {
        FindSettings s;
        QList<Variant> positional{QStringLiteral("[Date]"), true};
        for (int i = 0; i < 7; ++i)
            positional.append(Variant::missing());
        positional << QStringLiteral("December 1") << qint16(2);
        QCOMPARE(applyExecuteArguments(s, positional, {}), ReplaceMode::All);
        QCOMPARE(s.text, QStringLiteral("[Date]"));
        QCOMPARE(s.replacementText, QStringLiteral("December 1"));
        QVERIFY(s.matchCase);
        QVERIFY(s.forward); // omitted: unchanged

        QCOMPARE(applyExecuteArguments(s, {}, {{QStringLiteral("replace"), qint16(1)},
                                               {QStringLiteral("MatchWildcards"), true}}),
                 ReplaceMode::One);
        QVERIFY(s.matchWildcards);
        QCOMPARE(applyExecuteArguments(s, {}, {}), ReplaceMode::None);
    }

    void badExecuteArgumentsFail()
    {
        FindSettings s;
        QVERIFY_THROWS_EXCEPTION(RuntimeError, applyExecuteArguments(s, {}, {{QStringLiteral("Replace"), qint16(7)}}));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, applyExecuteArguments(s, {}, {{QStringLiteral("Bogus"), true}}));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, s.set(QStringLiteral("Wrap"), qint32(5)));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, s.set(QStringLiteral("Highlight"), true));
    }
};

QTEST_GUILESS_MAIN(WordFindTest)
#include "tst_wordfind.moc"
