// The watchdog that ends an office whose call does not return, on its own, with a recorded action
// in place of killing the office.
#include "../../src/office/libreoffice/CallWatchdog.h"

#include <QElapsedTimer>
#include <QtTest>

#include <atomic>

using namespace std::chrono_literals;

class CallWatchdogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firesAtTheFirstDeadlineOfTheCallsInFlight_data()
    {
        QTest::addColumn<QList<int>>("bounds"); // ms, of the calls armed one after the other
        QTest::addColumn<int>("latest");        // ms by which the action must have run
        QTest::addColumn<bool>("firstReturns"); // the first call returns 0.1 s in, before the next
        QTest::newRow("one call") << QList<int>{300} << 1800 << false;
        // The earliest of several deadlines counts: the latest would hold the program 8 s on a hung call.
        QTest::newRow("the earliest of several") << QList<int>{5000, 300, 8000} << 1800 << false;
        // A call that returns meanwhile takes its deadline with it: no wait on freed memory.
        QTest::newRow("a call returns while it is waited for") << QList<int>{5000, 300} << 1800 << true;
        // An idle office asked to end that does not answer is killed within half a second.
        QTest::newRow("asking an idle office to end") << QList<int>{int(CallWatchdog::QuitBound.count())} << 2000
                                                      << false;
    }
    void firesAtTheFirstDeadlineOfTheCallsInFlight()
    {
        QFETCH(QList<int>, bounds);
        QFETCH(int, latest);
        QFETCH(bool, firstReturns);
        std::atomic<qint64> firedAfter{-1};
        QElapsedTimer clock;
        clock.start();
        CallWatchdog watchdog([&] { firedAfter = clock.elapsed(); });
        for (int bound : bounds) {
            const auto ticket = watchdog.arm(std::chrono::milliseconds(bound));
            if (firstReturns && bound == bounds.first()) {
                QTest::qWait(100);
                watchdog.disarm(ticket);
            }
        }
        QTRY_VERIFY_WITH_TIMEOUT(firedAfter >= 0, latest + 1000);
        const int first = *std::min_element(bounds.begin(), bounds.end());
        QVERIFY2(firedAfter >= first && firedAfter <= latest, qPrintable(QString::number(firedAfter)));
        QVERIFY(watchdog.fired());
    }
};

QTEST_GUILESS_MAIN(CallWatchdogTest)
#include "tst_callwatchdog.moc"
