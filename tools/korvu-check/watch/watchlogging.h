#ifndef KORVUCHECK_WATCHLOGGING_H
#define KORVUCHECK_WATCHLOGGING_H

#include <QLoggingCategory>

// What watch mode sees of the parts on disk.
Q_DECLARE_LOGGING_CATEGORY(dcWatch)

#endif // KORVUCHECK_WATCHLOGGING_H
