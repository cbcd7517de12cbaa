#ifndef KORVUCHECK_ENDEDJOBFILES_H
#define KORVUCHECK_ENDEDJOBFILES_H

#include <QString>

#include <future>
#include <vector>

struct SuiteJob;

// What becomes of a suite process's files once it ended: its trace is copied
// where --keep-traces asks, its run tree removed unless --keep-run-tree.
class EndedJobFiles
{
public:
    EndedJobFiles(const QString &keptTracesDir, bool keepRunTree);
    // Waits for every removal.
    ~EndedJobFiles();

    void jobEnded(const SuiteJob &job);

private:
    QString m_keptTracesDir;
    bool m_keepRunTree;
    std::vector<std::future<void>> m_treeRemovals;
};

#endif // KORVUCHECK_ENDEDJOBFILES_H
