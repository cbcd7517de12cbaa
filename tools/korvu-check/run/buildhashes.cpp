#include "run/buildhashes.h"
#include "results/runresults.h"

#include <QCryptographicHash>
#include <QFile>

namespace {

// Empty for a file that cannot be read.
QString sha256(const QString &fileName)
{
    QFile file(fileName);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace

void BuildHashes::start(const QString &daemon, const QString &suite)
{
    m_hashes = std::async(std::launch::async,
                          [daemon, suite] { return std::make_pair(sha256(daemon), sha256(suite)); });
}

void BuildHashes::recordInto(RunResults *results)
{
    if (!m_hashes.valid())
        return;
    const std::pair<QString, QString> hashes = m_hashes.get();
    results->setBuildHashes(hashes.first, hashes.second);
}
