#include "deliverycalendar.h"

#include <algorithm>

bool DeliveryCalendar::allows(const QList<CalendarItem> &items, qint64 msecsSinceEpoch)
{
    if (items.isEmpty())
        return true;
    return std::any_of(items.cbegin(), items.cend(),
                       [msecsSinceEpoch](const CalendarItem &item) { return item.containsMSecs(msecsSinceEpoch); });
}
