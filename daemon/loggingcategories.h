#ifndef KORVUD_LOGGINGCATEGORIES_H
#define KORVUD_LOGGINGCATEGORIES_H

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(dcThingManager)
Q_DECLARE_LOGGING_CATEGORY(dcExperiences)
Q_DECLARE_LOGGING_CATEGORY(dcJsonRpc)

// How much of a request or reply dcJsonRpc shows (see LogText::shortened).
constexpr int maxLoggedMessageLength = 1000;

#endif // KORVUD_LOGGINGCATEGORIES_H
