#include "resulttable.h"

void ResultTable::add(const QString &measure, const QString &result)
{
    m_rows.append({measure, result, QString(), QString()});
}

void ResultTable::add(const QString &measure, double value, const Target &target)
{
    const bool met = value < target.limit;
    if (!met)
        ++m_missed;
    m_rows.append({measure, formatted(value, target.unit), QStringLiteral("< ") + formatted(target.limit, target.unit),
                   met ? QStringLiteral("ok") : QStringLiteral("MISSED")});
}

QString ResultTable::formatted(double value, const QString &unit)
{
    const int decimals = value < 10 ? 1 : 0;
    return QStringLiteral("%1 %2").arg(value, 0, 'f', decimals).arg(unit);
}

QString ResultTable::toText() const
{
    int measureWidth = 0;
    int resultWidth = 0;
    int targetWidth = 0;
    for (const Row &row : m_rows) {
        measureWidth = qMax(measureWidth, row.measure.size());
        resultWidth = qMax(resultWidth, row.result.size());
        targetWidth = qMax(targetWidth, row.target.size());
    }
    const auto line = [&](const Row &row) {
        const QString text = row.measure.leftJustified(measureWidth) + QStringLiteral("  ")
                             + row.result.rightJustified(resultWidth) + QStringLiteral("  ")
                             + row.target.leftJustified(targetWidth) + QStringLiteral("  ") + row.verdict;
        // No trailing blanks on lines without a target or verdict.
        int end = text.size();
        while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
            --end;
        return text.left(end) + QLatin1Char('\n');
    };
    QString text = line({QStringLiteral("measure"), QStringLiteral("result"), QStringLiteral("target"), QString()});
    for (const Row &row : m_rows)
        text += line(row);
    return text;
}

int ResultTable::missedTargets() const { return m_missed; }
