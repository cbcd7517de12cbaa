#include "testverdict.h"

namespace {

struct OutcomeName
{
    TestVerdict::Outcome outcome;
    const char *tag;
    const char *incidentType;
    const char *label;
};

const OutcomeName outcomeNames[] = {
    {TestVerdict::Outcome::Pass, "PASS", "pass", "PASS"},
    {TestVerdict::Outcome::Fail, "FAIL!", "fail", "FAIL"},
    {TestVerdict::Outcome::Skip, "SKIP", "skip", "SKIP"},
    {TestVerdict::Outcome::ExpectedFail, "XFAIL", "xfail", "XFAIL"},
    {TestVerdict::Outcome::UnexpectedPass, "XPASS", "xpass", "XPASS"},
    {TestVerdict::Outcome::BlacklistedPass, "BPASS", "bpass", "BPASS"},
    {TestVerdict::Outcome::BlacklistedFail, "BFAIL", "bfail", "BFAIL"},
    {TestVerdict::Outcome::BlacklistedExpectedFail, "BXFAIL", "bxfail", "BXFAIL"},
    {TestVerdict::Outcome::BlacklistedUnexpectedPass, "BXPASS", "bxpass", "BXPASS"},
};

} // namespace

QString TestVerdict::testName() const
{
    if (row.isEmpty())
        return function;
    return function + QLatin1Char('(') + row + QLatin1Char(')');
}

QString TestVerdict::label() const
{
    for (const OutcomeName &name : outcomeNames) {
        if (name.outcome == outcome)
            return QString::fromLatin1(name.label);
    }
    return QString();
}

bool TestVerdict::isFailure() const { return outcome == Outcome::Fail || outcome == Outcome::UnexpectedPass; }

bool TestVerdict::isBlacklisted() const
{
    switch (outcome) {
    case Outcome::BlacklistedPass:
    case Outcome::BlacklistedFail:
    case Outcome::BlacklistedExpectedFail:
    case Outcome::BlacklistedUnexpectedPass:
        return true;
    default:
        return false;
    }
}

bool TestVerdict::endsTest() const
{
    return outcome != Outcome::ExpectedFail && outcome != Outcome::BlacklistedExpectedFail;
}

bool TestVerdict::isBare() const { return outcome == Outcome::Pass || outcome == Outcome::BlacklistedPass; }

bool TestVerdict::outcomeFromTag(const QString &tag, Outcome *outcome)
{
    for (const OutcomeName &name : outcomeNames) {
        if (tag == QLatin1String(name.tag)) {
            *outcome = name.outcome;
            return true;
        }
    }
    return false;
}

bool TestVerdict::outcomeFromIncidentType(const QString &type, Outcome *outcome)
{
    for (const OutcomeName &name : outcomeNames) {
        if (type == QLatin1String(name.incidentType)) {
            *outcome = name.outcome;
            return true;
        }
    }
    return false;
}
