#include "results/daemonfinding.h"
#include "results/testverdict.h"

QString DaemonFinding::testName() const { return TestVerdict::testName(function, row); }

QString DaemonFinding::kindName() const
{
    switch (kind) {
    case Kind::Valgrind:
        return QStringLiteral("valgrind");
    case Kind::AddressSanitizer:
        return QStringLiteral("AddressSanitizer");
    case Kind::LeakSanitizer:
        return QStringLiteral("LeakSanitizer");
    case Kind::UndefinedBehaviorSanitizer:
        return QStringLiteral("UndefinedBehaviorSanitizer");
    case Kind::ThreadSanitizer:
        return QStringLiteral("ThreadSanitizer");
    case Kind::Signal:
        return QStringLiteral("signal");
    }
    return QString();
}

QStringList DaemonFinding::shortLines(int shown) const
{
    if (lines.size() <= shown)
        return lines;
    return lines.mid(0, shown) + QStringList{QStringLiteral("(%1 more lines)").arg(lines.size() - shown)};
}

bool DaemonFinding::kindFromName(const QString &name, Kind *kind)
{
    for (const Kind candidate : {Kind::Valgrind, Kind::AddressSanitizer, Kind::LeakSanitizer,
                                 Kind::UndefinedBehaviorSanitizer, Kind::ThreadSanitizer, Kind::Signal}) {
        DaemonFinding finding;
        finding.kind = candidate;
        if (finding.kindName() == name) {
            *kind = candidate;
            return true;
        }
    }
    return false;
}
