#ifndef KORVUCHECK_RUNLOGGING_H
#define KORVUCHECK_RUNLOGGING_H

#include <QLoggingCategory>

// What a run starts and sees: suite processes, the start-up probe, the network.
Q_DECLARE_LOGGING_CATEGORY(dcRun)

#endif // KORVUCHECK_RUNLOGGING_H
