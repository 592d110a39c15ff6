// The runtime's integer arithmetic the viewport and the automation layer use: rounding, 16-bit
// limits and division.
#include "FailureOf.h"
#include "shell/Arithmetic.h"

#include <QtTest>

using namespace Arithmetic;

class ArithmeticTest : public QObject
{
    Q_OBJECT
private slots:
    void nearestRoundsTiesToEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("3.5") << 3.5 << 4;
        QTest::newRow("9.5") << 9.5 << 10;
        QTest::newRow("10.5") << 10.5 << 10;
        QTest::newRow("10.1") << 10.1 << 10;
        QTest::newRow("11.5") << 11.5 << 12;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("-97.9") << -97.9 << -98;
    }
    void nearestRoundsTiesToEven()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(nearestToInt32(value), expected);
    }

    void floorGoesTowardsMinusInfinity()
    {
        QCOMPARE(floorToInt32(1019.99), 1019);
        QCOMPARE(floorToInt32(-0.5), -1);
        QCOMPARE(floorToInt32(8800.0), 8800);
    }

    void sixteenBitResultsThatDoNotFitOverflow()
    {
        QCOMPARE(toInt16(32767), qint16(32767));
        QCOMPARE(toInt16(-32768), qint16(-32768));
        QCOMPARE(failureOf([] { toInt16(32768); }), QStringLiteral("Overflow"));
        QCOMPARE(failureOf([] { toInt16(-32769); }), QStringLiteral("Overflow"));
        QCOMPARE(multiply16(10, 3276), qint16(32760));
        QCOMPARE(failureOf([] { multiply16(10, 3277); }), QStringLiteral("Overflow"));
        // -(-32768) has no 16-bit result.
        QCOMPARE(failureOf([] { negate16(-32768); }), QStringLiteral("Overflow"));
        QCOMPARE(failureOf([] { nearestToInt16(32767.5); }), QStringLiteral("Overflow"));
    }

    void resultsWithoutAFiniteValueFail()
    {
        QCOMPARE(failureOf([] { divide(95, 0); }), QStringLiteral("Division by zero"));
        QCOMPARE(failureOf([] { divide(0, 0); }), QStringLiteral("Division by zero"));
        QCOMPARE(failureOf([] { nearestToInt32(std::nan("")); }), QStringLiteral("Overflow"));
        QCOMPARE(failureOf([] { floorToInt32(3e9); }), QStringLiteral("Overflow"));
        QCOMPARE(divide(95, 190), 0.5);
    }
};

QTEST_GUILESS_MAIN(ArithmeticTest)
#include "tst_arithmetic.moc"
