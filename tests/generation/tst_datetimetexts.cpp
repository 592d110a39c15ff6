#include "generation/DateTimeTexts.h"

#include <QTest>

// The date and time texts the invitation shows.
class DateTimeTextsTest : public QObject
{
    Q_OBJECT

private slots:
    void timeText_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("expected");
        // Midnight and noon are the classic 12-hour traps.
        QTest::newRow("midnight") << QTime(0, 0) << "12:00 A.M.";
        QTest::newRow("half past midnight") << QTime(0, 30) << "12:30 A.M.";
        QTest::newRow("morning, one-digit minutes") << QTime(9, 5) << "9:05 A.M.";
        QTest::newRow("noon") << QTime(12, 0) << "12:00 P.M.";
        QTest::newRow("half past noon") << QTime(12, 30) << "12:30 P.M.";
        QTest::newRow("evening") << QTime(19, 5) << "7:05 P.M.";
        QTest::newRow("last minute") << QTime(23, 59) << "11:59 P.M.";
    }
    void timeText()
    {
        QFETCH(QTime, time);
        QFETCH(QString, expected);
        QCOMPARE(PartyTimeText(time, QLocale::c()), expected);
    }

    void timeTextUsesTheLocaleMarker()
    {
        // Markers other than "AM"/"PM" are left as the locale writes them.
        const QLocale korean(QLocale::Korean, QLocale::SouthKorea);
        QCOMPARE(PartyTimeText(QTime(19, 5), korean), QStringLiteral("7:05 ") + korean.pmText());
    }

    void timeTextFollowsTheSystemLocaleByDefault()
    {
        QCOMPARE(PartyTimeText(QTime(19, 5)), PartyTimeText(QTime(19, 5), QLocale::system()));
    }

    void dateText_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first of December") << QDate(2024, 12, 1) << "December 1";
        QTest::newRow("Christmas Eve") << QDate(2024, 12, 24) << "December 24";
        QTest::newRow("no leading zero, no year") << QDate(2025, 1, 5) << "January 5";
    }
    void dateText()
    {
        QFETCH(QDate, date);
        QFETCH(QString, expected);
        QCOMPARE(PartyDateText(date, QLocale::c()), expected);
    }

    void dateTextUsesTheLocaleMonthName()
    {
        const QLocale french(QLocale::French, QLocale::France);
        QCOMPARE(PartyDateText(QDate(2024, 12, 1), french), french.monthName(12) + QStringLiteral(" 1"));
    }
};

QTEST_GUILESS_MAIN(DateTimeTextsTest)
#include "tst_datetimetexts.moc"
