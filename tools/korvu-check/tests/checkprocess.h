#ifndef KORVUCHECK_TESTS_CHECKPROCESS_H
#define KORVUCHECK_TESTS_CHECKPROCESS_H

#include "run/runpool.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

// One run of the built korvu-check, for tests of what it prints, reports and
// returns; several can share the machine through a RunPool.
class CheckProcess : public PoolJob
{
    Q_OBJECT
public:
    struct Result
    {
        int status = -1; // -1: it crashed or ran out of time
        QString out;
        QString err;
        qint64 msecs = 0;
    };

    // environment: "NAME=value" entries added to this process's own.
    CheckProcess(const QStringList &arguments, const QStringList &environment, int timeoutMsecs,
                 QObject *parent = nullptr);

    void start() override;
    bool isFinished() const;
    Result result() const;

    // Runs korvu-check to its end.
    static Result run(const QStringList &arguments, const QStringList &environment, int timeoutMsecs);
    // Where a test writes the CTRF documents that korvu-check.ctrf-valid
    // validates; the folder is made when missing.
    static QString ctrfDocument(const QString &name);

private:
    void finish();

    QStringList m_arguments;
    int m_timeoutMsecs;
    QProcess m_process;
    QElapsedTimer m_timer;
    Result m_result;
    bool m_finished = false;
};

#endif // KORVUCHECK_TESTS_CHECKPROCESS_H
