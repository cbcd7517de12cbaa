#ifndef KORVUCHECK_BUILDHASHES_H
#define KORVUCHECK_BUILDHASHES_H

#include <QString>

#include <future>
#include <utility>

class RunResults;

// The daemon's and the suite's SHA-256, which tell builds apart in the
// reports. Hashing megabytes takes longer than starting every shard, and only
// the reports need them, so they are hashed beside the run.
class BuildHashes
{
public:
    void start(const QString &daemon, const QString &suite);
    // Waits for the hashes the first time; later calls leave results as they are.
    void recordInto(RunResults *results);

private:
    std::future<std::pair<QString, QString>> m_hashes;
};

#endif // KORVUCHECK_BUILDHASHES_H
