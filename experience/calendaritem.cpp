#include "calendaritem.h"

CalendarItem::CalendarItem(qint64 datetime, qint64 duration)
    : m_datetime(datetime)
    , m_duration(duration)
{
}

qint64 CalendarItem::datetime() const { return m_datetime; }
qint64 CalendarItem::duration() const { return m_duration; }

bool CalendarItem::containsMSecs(qint64 msecsSinceEpoch) const
{
    const qint64 start = m_datetime * 1000;
    const qint64 end = (m_datetime + m_duration) * 1000;
    return msecsSinceEpoch >= start && msecsSinceEpoch < end;
}
