#ifndef CHECKLOGGING_H
#define CHECKLOGGING_H

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(dcCheck)

#endif // CHECKLOGGING_H
