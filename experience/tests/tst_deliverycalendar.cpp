#include "deliverycalendar.h"

#include <QtTest>

using CalendarItems = QList<CalendarItem>;
Q_DECLARE_METATYPE(CalendarItems)

class TestDeliveryCalendar : public QObject
{
    Q_OBJECT
private slots:
    void testAllows_data();
    void testAllows();
};

void TestDeliveryCalendar::testAllows_data()
{
    QTest::addColumn<CalendarItems>("items");
    QTest::addColumn<qint64>("now");
    QTest::addColumn<bool>("allowed");

    const qint64 start = 1700000000;
    const qint64 startMs = start * 1000;
    const CalendarItems window{CalendarItem(start, 120)};
    const CalendarItems twoWindows{CalendarItem(start, 60), CalendarItem(start + 3600, 60)};

    QTest::newRow("no items") << CalendarItems() << startMs << true;
    QTest::newRow("inside") << window << startMs + 60000 << true;
    QTest::newRow("start is inside") << window << startMs << true;
    QTest::newRow("just before the start") << window << startMs - 1 << false;
    QTest::newRow("last millisecond") << window << startMs + 120000 - 1 << true;
    QTest::newRow("end is outside") << window << startMs + 120000 << false;
    QTest::newRow("window not begun yet") << CalendarItems{CalendarItem(start + 60, 120)} << startMs << false;
    QTest::newRow("second of two windows open") << twoWindows << startMs + 3600000 + 1 << true;
    QTest::newRow("between two windows") << twoWindows << startMs + 1800000 << false;
    QTest::newRow("largest window") << CalendarItems{CalendarItem(4294967295LL, 4294967295LL)}
                                    << (4294967295LL + 4294967294LL) * 1000 << true;
}

void TestDeliveryCalendar::testAllows()
{
    QFETCH(CalendarItems, items);
    QFETCH(qint64, now);
    QFETCH(bool, allowed);
    QCOMPARE(DeliveryCalendar::allows(items, now), allowed);
}

QTEST_GUILESS_MAIN(TestDeliveryCalendar)
#include "tst_deliverycalendar.moc"
