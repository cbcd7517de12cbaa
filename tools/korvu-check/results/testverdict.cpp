#include "results/testverdict.h"
#include "results/enumnames.h"

namespace {

using OutcomeName = EnumNames::Entry<TestVerdict::Outcome>;

// An incident's type attribute in the XML log, and its label in the text log.
const OutcomeName outcomeNames[] = {
    {TestVerdict::Outcome::Pass, "pass", "PASS"},
    {TestVerdict::Outcome::Fail, "fail", "FAIL"},
    {TestVerdict::Outcome::Skip, "skip", "SKIP"},
    {TestVerdict::Outcome::ExpectedFail, "xfail", "XFAIL"},
    {TestVerdict::Outcome::UnexpectedPass, "xpass", "XPASS"},
    {TestVerdict::Outcome::BlacklistedPass, "bpass", "BPASS"},
    {TestVerdict::Outcome::BlacklistedFail, "bfail", "BFAIL"},
    {TestVerdict::Outcome::BlacklistedExpectedFail, "bxfail", "BXFAIL"},
    {TestVerdict::Outcome::BlacklistedUnexpectedPass, "bxpass", "BXPASS"},
};

} // namespace

QString TestVerdict::testName() const { return testName(function, row); }

QString TestVerdict::testName(const QString &function, const QString &row)
{
    if (row.isEmpty())
        return function;
    return function + QLatin1Char('(') + row + QLatin1Char(')');
}

QString TestVerdict::label() const { return EnumNames::nameOf(outcomeNames, outcome, &OutcomeName::label); }

bool TestVerdict::isFailure() const { return outcome == Outcome::Fail || outcome == Outcome::UnexpectedPass; }

bool TestVerdict::endsTest() const
{
    return outcome != Outcome::ExpectedFail && outcome != Outcome::BlacklistedExpectedFail;
}

bool TestVerdict::isBlacklisted() const
{
    return outcome == Outcome::BlacklistedPass || outcome == Outcome::BlacklistedFail
           || outcome == Outcome::BlacklistedUnexpectedPass;
}

bool TestVerdict::carriesNoMessage() const { return outcome == Outcome::Pass || outcome == Outcome::BlacklistedPass; }

bool TestVerdict::outcomeFromIncidentType(const QString &type, Outcome *outcome)
{
    return EnumNames::valueOf(outcomeNames, type, &OutcomeName::xmlName, outcome);
}

QString TestVerdict::incidentType() const { return EnumNames::nameOf(outcomeNames, outcome, &OutcomeName::xmlName); }
