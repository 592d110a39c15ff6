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
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("any letter case") << "[City]" << "Springfield" << false << false
                                         << "[City], [CITY] and [city]" << "Springfield, Springfield and Springfield";
        QTest::newRow("match case") << "[City]" << "Springfield" << true << false
                                    << "[City] and [city]" << "Springfield and [city]";
        QTest::newRow("brackets and dots are literal") << "a.b[c]" << "x" << false << false
                                                       << "a.b[c] axb[c] a.bc" << "x axb[c] a.bc";
        QTest::newRow("replacement is not rescanned") << "[A]" << "[A][A]" << false << false
                                                      << "[A]" << "[A][A]";
        QTest::newRow("empty replacement removes") << "[State]" << "" << false << false
                                                   << "Oregon [State]!" << "Oregon !";
        QTest::newRow("whole word") << "cat" << "dog" << false << true
                                    << "cat catalog bobcat cat." << "dog catalog bobcat dog.";
        QTest::newRow("whole word across letters of any script") << "año" << "year" << false << true
                                                                 << "año añoso" << "year añoso";
        QTest::newRow("special codes in the find text") << "^#^#^?" << "N" << false << false
                                                        << "12a 3b 45c" << "N 3b N";
        QTest::newRow("caret and tab codes") << "a^^b^tc" << "x" << false << false
                                             << "a^b\tc" << "x";
        QTest::newRow("found text in the replacement") << "[City]" << "<^&>" << false << false
                                                       << "[city]" << "<[city]>";
    }
    void replaceAll()
    {
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(bool, matchCase);
        QFETCH(bool, wholeWord);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        FindSettings s = settings(find, replacement);
        s.matchCase = matchCase;
        s.matchWholeWord = wholeWord;
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
        QTest::newRow("unknown find code") << "^q" << "";
        QTest::newRow("unknown replacement code") << "a" << "^q";
    }
    void invalidPatternsFailWithADescription()
    {
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        try {
            TextMatcher matcher(settings(find, replacement));
            QFAIL("no failure");
        } catch (const RuntimeError &error) {
            QVERIFY(!error.description().isEmpty());
        }
    }

    // The program never searches with wildcards: a search that asks for them fails with a
    // description, whatever its pattern, instead of finding the pattern's characters literally.
    void wildcardSearchIsNotSupported_data()
    {
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::newRow("any characters") << "\\[*\\]" << "X";
        QTest::newRow("one or more, character class") << "[0-9]@" << "#";
        QTest::newRow("negated class and counts") << "[!a-z]{2}" << "_";
        QTest::newRow("groups in the replacement") << "(<[A-Z][a-z]@) (<[A-Z][a-z]@)" << "\\2 \\1";
        QTest::newRow("escaped special characters") << "\\[City\\]" << "S";
        QTest::newRow("word start and end") << "<in>" << "IN";
        QTest::newRow("empty find text") << "" << "S";
        QTest::newRow("unclosed class") << "[abc" << "";
        QTest::newRow("unbalanced group") << "(ab" << "";
        QTest::newRow("repeat of nothing") << "@a" << "";
        QTest::newRow("bad count") << "a{x}" << "";
    }
    void wildcardSearchIsNotSupported()
    {
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        FindSettings s = settings(find, replacement);
        s.matchWildcards = true;
        try {
            TextMatcher matcher(s);
            QFAIL("no failure");
        } catch (const RuntimeError &error) {
            QCOMPARE(error.description(), QStringLiteral("Searching with wildcards is not supported."));
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
