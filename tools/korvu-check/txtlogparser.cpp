#include "txtlogparser.h"

#include <QRegularExpression>

namespace {

// Every incident line starts with its tag padded to seven characters and
// ": ": "PASS   : ", "FAIL!  : ", "QDEBUG : ", "QSYSTEM: ", ...
const QRegularExpression incidentPattern(QStringLiteral("^([A-Z!]{4,7}) *: (.*)$"));
const int incidentPrefixLength = 9;
const QRegularExpression locationPattern(QStringLiteral("^ *Loc: \\[(.*)\\]\\s*$"));
const QLatin1String totalsPrefix("Totals: ");
const QRegularExpression startPattern(QStringLiteral("^\\*+ Start testing of (.+) \\*+$"));
const QStringList otherIncidentTags = {QStringLiteral("QDEBUG"),  QStringLiteral("QINFO"),  QStringLiteral("QWARN"),
                                       QStringLiteral("QSYSTEM"), QStringLiteral("QFATAL"), QStringLiteral("INFO"),
                                       QStringLiteral("WARNING"), QStringLiteral("RESULT")};

bool isIncident(const QRegularExpressionMatch &match)
{
    if (!match.hasMatch() || match.capturedStart(2) != incidentPrefixLength)
        return false;
    TestVerdict::Outcome outcome;
    return TestVerdict::outcomeFromTag(match.captured(1), &outcome) || otherIncidentTags.contains(match.captured(1));
}

// Index of the ')' closing the row that starts at 'open', or -1. The row ends
// at a ')' followed by a blank or the end of the text.
int rowEnd(const QString &subject, int open, bool bare)
{
    if (bare)
        return subject.lastIndexOf(QLatin1Char(')'));

    int firstCandidate = -1;
    int depth = 0;
    for (int i = open; i < subject.size(); ++i) {
        const QChar c = subject.at(i);
        if (c == QLatin1Char('(')) {
            ++depth;
            continue;
        }
        if (c != QLatin1Char(')'))
            continue;
        --depth;
        const bool atBoundary = i + 1 == subject.size() || subject.at(i + 1) == QLatin1Char(' ');
        if (!atBoundary)
            continue;
        if (depth == 0)
            return i;
        if (firstCandidate < 0)
            firstCandidate = i;
    }
    return firstCandidate >= 0 ? firstCandidate : subject.lastIndexOf(QLatin1Char(')'));
}

} // namespace

TxtLogParser::LineKind TxtLogParser::addLine(const QString &line, qint64 msecs)
{
    const QRegularExpressionMatch location = locationPattern.match(line);
    if (location.hasMatch()) {
        if (!m_hasPending)
            return LineKind::Other;
        m_pending.location = location.captured(1);
        completePending();
        return LineKind::VerdictDetail;
    }

    const QRegularExpressionMatch incident = incidentPattern.match(line);
    if (isIncident(incident))
        return addIncident(incident.captured(1), incident.captured(2), msecs);

    if (line.startsWith(totalsPrefix) || line.startsWith(QLatin1String("*********"))
        || line.startsWith(QLatin1String("Config: "))) {
        completePending();
        if (line.startsWith(totalsPrefix))
            m_sawTotals = true;
        const QRegularExpressionMatch start = startPattern.match(line);
        if (start.hasMatch())
            m_testClass = start.captured(1);
        return LineKind::Other;
    }

    if (!m_hasPending)
        return LineKind::Other;
    m_pending.messageLines.append(line);
    return LineKind::VerdictDetail;
}

TxtLogParser::LineKind TxtLogParser::addIncident(const QString &tag, const QString &subject, qint64 msecs)
{
    completePending();

    TestVerdict verdict;
    const bool isVerdict = TestVerdict::outcomeFromTag(tag, &verdict.outcome);
    QString message;
    splitSubject(subject, isVerdict && verdict.isBare(), &verdict.function, &verdict.row, &message);
    if (!verdict.function.isEmpty()) {
        m_lastTestName = verdict.testName();
        m_lastTestEnded = isVerdict && verdict.endsTest();
    }
    if (!isVerdict)
        return LineKind::Other;

    if (!message.isEmpty())
        verdict.messageLines.append(message);
    verdict.seconds = (msecs - m_lastTestEndMsecs) / 1000.0;
    if (verdict.endsTest())
        m_lastTestEndMsecs = msecs;

    m_pending = verdict;
    m_hasPending = true;
    if (verdict.isBare())
        completePending();
    return LineKind::Verdict;
}

void TxtLogParser::finish() { completePending(); }

QVector<TestVerdict> TxtLogParser::takeCompleted()
{
    QVector<TestVerdict> completed;
    completed.swap(m_completed);
    return completed;
}

bool TxtLogParser::sawTotals() const { return m_sawTotals; }

QString TxtLogParser::testClass() const { return m_testClass; }

QString TxtLogParser::lastTestName() const { return m_lastTestName; }

bool TxtLogParser::lastTestEnded() const { return m_lastTestEnded; }

qint64 TxtLogParser::lastTestEndMsecs() const { return m_lastTestEndMsecs; }

void TxtLogParser::splitSubject(const QString &subject, bool bare, QString *function, QString *row, QString *message)
{
    function->clear();
    row->clear();
    message->clear();

    const int open = subject.indexOf(QLatin1Char('('));
    if (open < 0) {
        *message = subject;
        return;
    }
    const QString qualifiedName = subject.left(open);
    const int scope = qualifiedName.lastIndexOf(QLatin1String("::"));
    *function = scope < 0 ? qualifiedName : qualifiedName.mid(scope + 2);

    const int close = rowEnd(subject, open, bare);
    if (close < 0) {
        *row = subject.mid(open + 1);
        return;
    }
    *row = subject.mid(open + 1, close - open - 1);
    *message = subject.mid(close + 2);
}

void TxtLogParser::completePending()
{
    if (!m_hasPending)
        return;
    m_completed.append(m_pending);
    m_pending = TestVerdict();
    m_hasPending = false;
}
