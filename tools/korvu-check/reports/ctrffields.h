#ifndef KORVUCHECK_CTRFFIELDS_H
#define KORVUCHECK_CTRFFIELDS_H

#include "results/runresults.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// What korvu-check's CTRF documents are made of, shared by the code that
// writes them (CtrfReport, CtrfRowTest) and the one that reads them back
// (CtrfDocument).
namespace CtrfFields {

inline const QString toolName = QStringLiteral("korvu-check");
// The layout of korvu-check's own fields; a reader refuses a newer one
// rather than misread it.
const int formatVersion = 1;

// What a test's "extra" holds: a function or row, a suite process that broke
// off, korvu-check's setup error, findings outside any row, or a function or
// row the run stopped before.
inline const QString rowKind = QStringLiteral("row");
inline const QString notRunKind = QStringLiteral("not-run");
inline const QString breakKind = QStringLiteral("break");
inline const QString setupErrorKind = QStringLiteral("setup-error");
inline const QString findingsKind = QStringLiteral("findings");

// The format's statuses of a test.
inline const QString passed = QStringLiteral("passed");
inline const QString failed = QStringLiteral("failed");
inline const QString skipped = QStringLiteral("skipped");
inline const QString other = QStringLiteral("other");

qint64 milliseconds(double seconds);
// What is empty is left out, so that a passing run of many rows stays small.
void insertIfAny(QJsonObject *object, const QString &key, const QString &text);
void insertIfAny(QJsonObject *object, const QString &key, const QStringList &lines);
QJsonObject originObject(const RunResults::Origin &origin);
QJsonArray findingsArray(const QVector<RunResults::Finding> &findings);
// "AddressSanitizer: ==1==ERROR: ...", a test's message for its finding.
QString findingMessage(const DaemonFinding &finding);
QStringList findingLines(const QVector<RunResults::Finding> &findings);

} // namespace CtrfFields

#endif // KORVUCHECK_CTRFFIELDS_H
