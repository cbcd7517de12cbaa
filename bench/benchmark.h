#ifndef BENCHMARK_H
#define BENCHMARK_H

#include "benchoptions.h"

#include <QTemporaryDir>
#include <QUuid>

#include <memory>

class BenchClient;
class KorvudProcess;
class ResultTable;

// Runs the bundled daemon in a data folder of its own and measures it: start
// to listening, the JSON-RPC round trip, adding deliveries with their commit,
// listing them all, and its resident memory.
class Benchmark
{
public:
    explicit Benchmark(const BenchOptions &options);
    ~Benchmark();
    Benchmark(const Benchmark &) = delete;
    Benchmark &operator=(const Benchmark &) = delete;

    // False, with errorMessage set, when a step failed and the figures would mean nothing.
    bool run(ResultTable *table, QString *errorMessage);

private:
    bool startDaemon(QString *errorMessage);
    bool measureStartup(const QString &situation, ResultTable *table, QString *errorMessage);
    bool createThings(BenchClient *client, QString *errorMessage);
    bool measureRoundTrip(BenchClient *client, ResultTable *table, QString *errorMessage);
    bool measureAdding(BenchClient *client, ResultTable *table, QString *errorMessage);
    bool measureListing(BenchClient *client, ResultTable *table, QString *errorMessage);
    void measureMemory(const QString &situation, ResultTable *table);
    QString daemonLog() const;

    // VmRSS of the process in KiB; -1 when it cannot be read.
    static qint64 residentKiB(qint64 processId);

    BenchOptions m_options;
    QTemporaryDir m_dataDir;
    QTemporaryDir m_logDir;
    std::unique_ptr<KorvudProcess> m_daemon;
    QUuid m_gateId;
    QUuid m_scannerId;
};

#endif // BENCHMARK_H
