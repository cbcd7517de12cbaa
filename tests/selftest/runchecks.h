#ifndef SELFTEST_RUNCHECKS_H
#define SELFTEST_RUNCHECKS_H

#include "selftestcase.h"

#include <QMap>

// Checks of a run beyond its verdicts: log messages, timing, requests.
namespace RunChecks {

// cleanupTestCase logged the kill of the daemon as warnings.
SelfTestCase::Check daemonKilledInCleanup();
// initTestCase logged fewest to most failed attempts before "Connected to
// korvu". A daemon that times its port from its own start opens it later on a
// loaded machine, so an attempt more is no fault of the suite's retries.
SelfTestCase::Check failedAttemptsBeforeConnecting(int fewest, int most);
// initTestCase never connected and kept trying for the whole bound.
SelfTestCase::Check neverConnected(int minimumAttempts, qint64 minimumMs);
// The time from the n-th call of method to the request after it.
SelfTestCase::Check pauseAfter(const QString &method, int call, qint64 minimumMs, qint64 maximumMs);
// The time from the request before the n-th call of method to that call.
SelfTestCase::Check pauseBefore(const QString &method, int call, qint64 minimumMs, qint64 maximumMs);
// The control-port requests, in order (ExpectedText::http lines).
SelfTestCase::Check controlPortRequests(const QStringList &requests);
// Some request of the record matches.
SelfTestCase::Check sendsSomewhere(const QString &request);
// The traffic trace holds an exchange of this kind in the function and row
// whose fields match the TextPatterns given (numbers and booleans as text).
SelfTestCase::Check tracesExchange(const QString &function, const QString &row, const QString &kind,
                                   const QMap<QString, QString> &fields);

} // namespace RunChecks

#endif // SELFTEST_RUNCHECKS_H
