// The guard of guarded procedures: the exact report text, and how the procedure carries on.
#include "TestDoubles.h"
#include "shell/Guard.h"
#include "shell/RuntimeError.h"

#include <QtTest>

#include <stdexcept>

class GuardTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reportTextIsExact_data();
    void reportTextIsExact();
    void reportIsAModalWarningTitledApplicationError();
    void eachFailureReportsOnceAndTheProcedureCarriesOn();
    void failingConditionCountsAsTrue();
    void failingLoopStepLeavesTheLoop();
    void failingForEachHeadIsReportedOnceAndSkipsTheLoop();
    void foreignExceptionsAreDescribed();
};

void GuardTest::reportTextIsExact_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("procedure");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("expected");

    QTest::newRow("four lines") << "Overflow" << "RedrawImage" << 130
        << "Overflow\r\nin Tinselmark2021/08/31.Form2.RedrawImage at line 130\r\r"
           "Please email screenshot of this message to support@mistlefold.app";
    QTest::newRow("empty description starts with the line break") << "" << "RedrawImage" << 100
        << "\r\nin Tinselmark2021/08/31.Form2.RedrawImage at line 100\r\r"
           "Please email screenshot of this message to support@mistlefold.app";
    QTest::newRow("lower-case procedure name kept") << "Division by zero" << "picture1_MouseMove" << 104
        << "Division by zero\r\nin Tinselmark2021/08/31.Form2.picture1_MouseMove at line 104\r\r"
           "Please email screenshot of this message to support@mistlefold.app";
}

void GuardTest::reportTextIsExact()
{
    QFETCH(QString, description);
    QFETCH(QString, procedure);
    QFETCH(int, line);
    QFETCH(QString, expected);

    RecordingMessageBoxes boxes;
    Guard guard(QStringLiteral("Form2"), procedure);
    guard.run(line, [&] { throw RuntimeError(description); });

    QCOMPARE(boxes.reports(), QStringList{expected});
    QCOMPARE(boxes.reports().first().toUtf8(), expected.toUtf8()); // byte for byte
}

void GuardTest::reportIsAModalWarningTitledApplicationError()
{
    RecordingMessageBoxes boxes;
    Guard(QStringLiteral("Form1"), QStringLiteral("Form_Load")).run(100, [] { raise(StandardError::FileNotFound); });
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].title, QStringLiteral("Application Error"));
    QCOMPARE(boxes.shown[0].icon, MessageBoxes::Icon::Warning);
    QCOMPARE(boxes.shown[0].buttons, MessageBoxes::Buttons::Ok);
}

void GuardTest::eachFailureReportsOnceAndTheProcedureCarriesOn()
{
    RecordingMessageBoxes boxes;
    Guard guard(QStringLiteral("Form1"), QStringLiteral("PushButton4_Click"));
    QStringList ran;
    QVERIFY(guard.run(100, [&] { ran << "100"; }));
    QVERIFY(!guard.run(102, [&] { ran << "102"; raise(StandardError::Overflow); ran << "not reached"; }));
    QVERIFY(!guard.run(104, [&] { raise(StandardError::DivisionByZero); }));
    QVERIFY(guard.run(106, [&] { ran << "106"; }));
    QVERIFY(!guard.run(108, [&] { raise(StandardError::PathNotFound); })); // the last statement fails too

    QCOMPARE(ran, (QStringList{"100", "102", "106"}));
    QCOMPARE(boxes.reports().size(), 3);
    QVERIFY(boxes.reports()[0].startsWith("Overflow\r\n"));
    QVERIFY(boxes.reports()[0].contains("at line 102\r\r"));
    QVERIFY(boxes.reports()[1].startsWith("Division by zero\r\n"));
    QVERIFY(boxes.reports()[1].contains("at line 104\r\r"));
    QVERIFY(boxes.reports()[2].contains("at line 108\r\r"));
}

void GuardTest::failingConditionCountsAsTrue()
{
    RecordingMessageBoxes boxes;
    Guard guard(QStringLiteral("Form1"), QStringLiteral("PushButton6_Click"));
    QVERIFY(guard.test(108, [] () -> bool { raise(StandardError::ObjectNotSet); }));
    QVERIFY(!guard.test(110, [] { return false; }));
    QCOMPARE(boxes.reports().size(), 1);
    QVERIFY(boxes.reports()[0].contains("at line 108"));
}

void GuardTest::failingLoopStepLeavesTheLoop()
{
    RecordingMessageBoxes boxes;
    Guard guard(QStringLiteral("Form1"), QStringLiteral("PushButton3_Click"));
    QList<int> visited;
    for (int index = 0; index <= 3;) {
        guard.run(102, [&] { visited << index; });
        if (!guard.step(104, [&] { if (index == 1) raise(StandardError::Overflow); ++index; }))
            break;
    }
    QCOMPARE(visited, (QList<int>{0, 1}));
    QCOMPARE(boxes.reports().size(), 1);
    QVERIFY(boxes.reports()[0].contains("at line 104"));
}

void GuardTest::failingForEachHeadIsReportedOnceAndSkipsTheLoop()
{
    RecordingMessageBoxes boxes;
    Guard guard(QStringLiteral("Form1"), QStringLiteral("PushButton6_Click"));
    int bodies = 0;
    const QList<int> items = guard.items<int>(154, [] () -> QList<int> { raise(StandardError::ObjectNotSet); });
    for (int item : items) {
        Q_UNUSED(item);
        ++bodies;
    }
    QCOMPARE(bodies, 0);
    QCOMPARE(boxes.reports().size(), 1);
    QCOMPARE(guard.items<int>(154, [] { return QList<int>{1, 2}; }), (QList<int>{1, 2}));
}

void GuardTest::foreignExceptionsAreDescribed()
{
    RecordingMessageBoxes boxes;
    Guard guard(QStringLiteral("Form1"), QStringLiteral("SaveDocAsJPG"));
    guard.run(122, [] { throw std::runtime_error("disk on fire"); });
    guard.run(124, [] { throw 42; });
    QCOMPARE(boxes.reports().size(), 2);
    QVERIFY(boxes.reports()[0].startsWith("disk on fire\r\n"));
    QVERIFY(!boxes.reports()[1].startsWith("\r\n"));
}

QTEST_GUILESS_MAIN(GuardTest)
#include "tst_guard.moc"
