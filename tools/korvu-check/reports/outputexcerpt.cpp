#include "reports/outputexcerpt.h"

namespace {

const QString cutMarker = QStringLiteral(" [...]");

} // namespace

OutputExcerpt::OutputExcerpt(int limit)
    : m_limit(limit)
{
}

void OutputExcerpt::addLine(const QString &line)
{
    // Keeps the first half of the limit and, of the rest, the latest lines.
    const int halfLimit = m_limit / 2;
    const int longestLine = qMax(0, halfLimit - cutMarker.size() - 1);
    const QString kept = line.size() > longestLine ? line.left(longestLine) + cutMarker : line;
    const int size = kept.size() + 1;
    if (m_tail.isEmpty() && m_omittedLines == 0 && m_headSize + size <= halfLimit) {
        m_head.append(kept);
        m_headSize += size;
        return;
    }
    m_tail.append(kept);
    m_tailSize += size;
    while (m_tailSize > m_limit - m_headSize && !m_tail.isEmpty()) {
        m_tailSize -= m_tail.constFirst().size() + 1;
        m_tail.removeFirst();
        ++m_omittedLines;
    }
}

bool OutputExcerpt::isEmpty() const { return m_head.isEmpty(); }

QString OutputExcerpt::text() const
{
    QStringList lines = m_head;
    if (m_omittedLines > 0)
        lines.append(QStringLiteral("[... %1 lines left out ...]").arg(m_omittedLines));
    lines += m_tail;
    return lines.join(QLatin1Char('\n'));
}
