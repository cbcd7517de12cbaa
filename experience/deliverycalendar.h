#ifndef PLAVODELIVERY_DELIVERYCALENDAR_H
#define PLAVODELIVERY_DELIVERYCALENDAR_H

#include "calendaritem.h"

#include <QList>

// When a delivery may be granted: always when it has no calendar items,
// otherwise while one of its windows is open.
class DeliveryCalendar
{
public:
    static bool allows(const QList<CalendarItem> &items, qint64 msecsSinceEpoch);
};

#endif // PLAVODELIVERY_DELIVERYCALENDAR_H
