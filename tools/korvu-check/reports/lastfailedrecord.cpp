#include "reports/lastfailedrecord.h"
#include "results/runresults.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QLatin1String daemonKey("daemon");
const QLatin1String failedKey("failed");
const QLatin1String selectionKey("selection");

// "testDelivery(DPD Prio)" as the command lines name it: "testDelivery:DPD Prio".
QString selectionWord(const QString &testName)
{
    const int open = testName.indexOf(QLatin1Char('('));
    if (open < 0 || !testName.endsWith(QLatin1Char(')')))
        return testName;
    return testName.left(open) + QLatin1Char(':') + testName.mid(open + 1, testName.size() - open - 2);
}

bool isHook(const QString &testName)
{
    return RunResults::isHookFunction(testName.left(testName.indexOf(QLatin1Char('('))));
}

} // namespace

LastFailedRecord LastFailedRecord::read(const QString &daemonPath, QString *warning)
{
    LastFailedRecord record;
    const QFileInfo daemon(daemonPath);
    record.m_daemon = daemon.exists() ? daemon.canonicalFilePath() : daemon.absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(record.m_daemon.toUtf8(), QCryptographicHash::Sha256).toHex();
    record.m_filePath = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
                        + QStringLiteral("/korvu-check/last-failed-%1.json").arg(QString::fromLatin1(hash.left(16)));

    QFile file(record.m_filePath);
    if (!file.exists())
        return record;
    if (!file.open(QIODevice::ReadOnly)) {
        *warning = QStringLiteral("cannot read the failures of before in %1: %2")
                       .arg(file.fileName(), file.errorString());
        return record;
    }
    QJsonParseError parseError;
    const QJsonObject object = QJsonDocument::fromJson(file.readAll(), &parseError).object();
    if (parseError.error != QJsonParseError::NoError || !object.value(failedKey).isArray()) {
        *warning = QStringLiteral("the failures of before in %1 are unreadable and taken as none").arg(file.fileName());
        return record;
    }
    // Another daemon whose path hashes alike is none of this one's business.
    if (object.value(daemonKey).toString() != record.m_daemon)
        return record;
    record.m_failed = object.value(failedKey).toVariant().toStringList();
    record.m_lastSelection = object.value(selectionKey).toVariant().toStringList();
    return record;
}

QStringList LastFailedRecord::selectionFor(const QString &daemonPath, QStringList *notices)
{
    QString warning;
    const LastFailedRecord record = read(daemonPath, &warning);
    if (!warning.isEmpty())
        notices->append(QStringLiteral("korvu-check: warning: ") + warning);
    if (record.m_failed.isEmpty())
        notices->append(QStringLiteral("korvu-check: no failed function or row of %1 is on record; nothing to run")
                            .arg(daemonPath));
    return record.m_failed;
}

QStringList LastFailedRecord::failed() const { return m_failed; }

QStringList LastFailedRecord::lastSelection() const { return m_lastSelection; }

QString LastFailedRecord::filePath() const { return m_filePath; }

void LastFailedRecord::update(const RunResults &results, const QStringList &selection)
{
    m_lastSelection = selection;
    const QVector<RunResults::TestCase> rows = results.rowsWithHooksMerged();
    for (const RunResults::TestCase &row : rows) {
        if (!row.runs.isEmpty())
            m_failed.removeAll(selectionWord(row.testName));
    }
    const QVector<RowStatus> statuses = results.statuses();
    for (const RowStatus &status : statuses) {
        const QString word = selectionWord(status.testName);
        if (status.failsRun() && !isHook(status.testName) && !m_failed.contains(word))
            m_failed.append(word);
    }
}

bool LastFailedRecord::write(QString *error) const
{
    if (!QDir().mkpath(QFileInfo(m_filePath).path())) {
        *error = QStringLiteral("cannot create the folder of %1").arg(m_filePath);
        return false;
    }
    const QJsonObject object{{daemonKey, m_daemon},
                             {selectionKey, QJsonArray::fromStringList(m_lastSelection)},
                             {failedKey, QJsonArray::fromStringList(m_failed)}};
    QSaveFile file(m_filePath);
    if (file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(object).toJson()) >= 0 && file.commit())
        return true;
    *error = QStringLiteral("cannot write %1: %2").arg(m_filePath, file.errorString());
    return false;
}
