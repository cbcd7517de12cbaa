#ifndef KORVUCHECK_TESTS_SCENARIOCHECK_H
#define KORVUCHECK_TESTS_SCENARIOCHECK_H

#include "tests/checkprocess.h"

// korvu-check with the real suite against the scripted daemon of the
// self-tests, playing one of their scenarios.
namespace ScenarioCheck {

// The self-tests' scenario folder; KORVU_SELFTEST_SCENARIOS chooses another.
QString directory();

// korvu-check with arguments (after --daemon) against the daemon playing
// scenario, a file name in directory(); daemon: another build's scripted
// daemon instead of this build's.
CheckProcess *create(const QString &scenario, const QStringList &arguments, int timeoutMsecs, QObject *parent = nullptr,
                     const QString &daemon = QString());
// Runs it to its end; environment: "NAME=value" entries beside the scenario's.
CheckProcess::Result run(const QString &scenario, const QStringList &arguments, int timeoutMsecs,
                         const QString &daemon = QString(), const QStringList &environment = QStringList());

// What legitimately differs between one daemon for the whole run and a
// fresh daemon per shard or slice made neutral: the ids the scripted daemon
// counts out per process, the ids of the requests that replies echo (the n-th
// pseudo-random number of the suite process), and clock readings.
QString normalised(QString text);

} // namespace ScenarioCheck

#endif // KORVUCHECK_TESTS_SCENARIOCHECK_H
