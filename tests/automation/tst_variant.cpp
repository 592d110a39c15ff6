// The automation layer's values and handles: the conversions callers rely on and the failures
// they must see.
#include "FailureOf.h"
#include "automation/CreateObject.h"

#include <QtTest>

class VariantTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toLongRoundsHalfToEven_data();
    void toLongRoundsHalfToEven();
    void conversionsThatMustFail();
    void booleansAsAutomationWritesThem();
    void nothingAndUnknownServers();
};

void VariantTest::toLongRoundsHalfToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("3.5") << 3.5 << 4;
    QTest::newRow("-2.5") << -2.5 << -2;
    QTest::newRow("10.5") << 10.5 << 10;
    QTest::newRow("9.5") << 9.5 << 10;
    QTest::newRow("0.49") << 0.49 << 0;
}

void VariantTest::toLongRoundsHalfToEven()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(Variant(value).toLong(), expected);
    QCOMPARE(Variant(QString::number(value)).toLong(), expected);
}

void VariantTest::conversionsThatMustFail()
{
    QCOMPARE(failureOf([] { Variant(3.0e10).toLong(); }), QStringLiteral("Overflow"));
    QCOMPARE(failureOf([] { Variant("twelve").toLong(); }), QStringLiteral("Type mismatch"));
    QCOMPARE(failureOf([] { Variant("maybe").toBool(); }), QStringLiteral("Type mismatch"));
    QCOMPARE(failureOf([] { Variant(qint16(1)).toObject(); }), QStringLiteral("Type mismatch"));
    QCOMPARE(failureOf([] { Variant::missing().toString(); }), QStringLiteral("Type mismatch"));
}

void VariantTest::booleansAsAutomationWritesThem()
{
    QCOMPARE(Variant(true).toString(), QStringLiteral("True"));
    QCOMPARE(Variant(true).toDouble(), -1.0);
    QVERIFY(Variant(qint16(-1)).toBool());
    QVERIFY(!Variant(qint32(0)).toBool());
    QVERIFY(Variant("TRUE").toBool());
    QVERIFY(!Variant().toBool());
    QCOMPARE(Variant("plain text").type(), Variant::Type::String); // never taken for a boolean
    QVERIFY(Variant::missing().isMissing());
    QVERIFY(Variant(Object()).isEmpty()); // Nothing is an empty value
}

void VariantTest::nothingAndUnknownServers()
{
    QCOMPARE(failureOf([] { Object().get(QStringLiteral("Documents")); }),
             QStringLiteral("Object variable or With block variable not set"));
    QCOMPARE(failureOf([] { CreateObject(QStringLiteral("No.Such.Server")); }), QStringLiteral("Can't create object"));
    AutomationServers::registerServer(QStringLiteral("Test.Nothing"), [] { return Object(); });
    QCOMPARE(failureOf([] { CreateObject(QStringLiteral("TEST.NOTHING")); }), QStringLiteral("Can't create object"));
    AutomationServers::unregisterServer(QStringLiteral("test.nothing"));
}

QTEST_GUILESS_MAIN(VariantTest)
#include "tst_variant.moc"
