#include "run/endedjobfiles.h"
#include "run/suitejob.h"

#include <QDir>
#include <QFile>

EndedJobFiles::EndedJobFiles(const QString &keptTracesDir, bool keepRunTree)
    : m_keptTracesDir(keptTracesDir)
    , m_keepRunTree(keepRunTree)
{
}

EndedJobFiles::~EndedJobFiles() = default;

void EndedJobFiles::jobEnded(const SuiteJob &job)
{
    if (!m_keptTracesDir.isEmpty() && QFile::exists(job.tree.traceFile())) {
        const QString kept = QStringLiteral("%1/%2.jsonl")
                                 .arg(m_keptTracesDir, job.name.isEmpty() ? QStringLiteral("trace") : job.name);
        QFile::remove(kept);
        QFile::copy(job.tree.traceFile(), kept);
    }
    // Removing a tree can take a while (SQLite files, a disk that discards
    // blocks); with many jobs it happens beside the others instead of at the
    // end. The tree of a single process is the run's root, which goes last.
    if (!m_keepRunTree && !job.name.isEmpty()) {
        const QString root = job.tree.root();
        m_treeRemovals.push_back(std::async(std::launch::async, [root] { QDir(root).removeRecursively(); }));
    }
}
