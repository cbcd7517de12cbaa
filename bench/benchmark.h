#ifndef KORVU_BENCH_BENCHMARK_H
#define KORVU_BENCH_BENCHMARK_H

#include "benchoptions.h"

#include <QTemporaryDir>
#include <QUuid>

#include <memory>

class KorvudProcess;
class ResultTable;
class RpcConnection;

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
    bool createThings(RpcConnection *client, QString *errorMessage);
    bool measureRoundTrip(RpcConnection *client, ResultTable *table, QString *errorMessage);
    bool measureAdding(RpcConnection *client, ResultTable *table, QString *errorMessage);
    bool measureListing(RpcConnection *client, ResultTable *table, QString *errorMessage);
    void measureMemory(const QString &situation, ResultTable *table);

    BenchOptions m_options;
    QTemporaryDir m_dataDir;
    std::unique_ptr<KorvudProcess> m_daemon;
    QUuid m_gateId;
    QUuid m_scannerId;
};

#endif // KORVU_BENCH_BENCHMARK_H
