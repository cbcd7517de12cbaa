#ifndef PLAVODELIVERY_CALENDARITEM_H
#define PLAVODELIVERY_CALENDARITEM_H

#include <QtGlobal>

// One time window in which a delivery may be granted:
// [datetime, datetime + duration), both in seconds since the epoch.
class CalendarItem
{
public:
    CalendarItem() = default;
    CalendarItem(qint64 datetime, qint64 duration);

    qint64 datetime() const;
    qint64 duration() const;

    bool containsMSecs(qint64 msecsSinceEpoch) const;

private:
    qint64 m_datetime = 0;
    qint64 m_duration = 0;
};

#endif // PLAVODELIVERY_CALENDARITEM_H
