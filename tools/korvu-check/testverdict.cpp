#include "testverdict.h"

namespace {

struct OutcomeName
{
    TestVerdict::Outcome outcome;
    const char *tag;
    const char *label;
};

const OutcomeName outcomeNames[] = {
    {TestVerdict::Outcome::Pass, "PASS", "PASS"},
    {TestVerdict::Outcome::Fail, "FAIL!", "FAIL"},
    {TestVerdict::Outcome::Skip, "SKIP", "SKIP"},
    {TestVerdict::Outcome::ExpectedFail, "XFAIL", "XFAIL"},
    {TestVerdict::Outcome::UnexpectedPass, "XPASS", "XPASS"},
    {TestVerdict::Outcome::BlacklistedPass, "BPASS", "BPASS"},
    {TestVerdict::Outcome::BlacklistedFail, "BFAIL", "BFAIL"},
    {TestVerdict::Outcome::BlacklistedExpectedFail, "BXFAIL", "BXFAIL"},
    {TestVerdict::Outcome::BlacklistedUnexpectedPass, "BXPASS", "BXPASS"},
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
