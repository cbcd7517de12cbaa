#include "run/testinprogress.h"

#include <algorithm>

QString TestInProgress::name(const QStringList &planned, const QString &lastTestName, bool lastEnded)
{
    if (lastTestName.isEmpty())
        return planned.value(0);
    if (lastEnded) {
        const int index = planned.indexOf(lastTestName);
        return index < 0 ? QString() : planned.value(index + 1);
    }
    // A function with data rows shows under its own name until its first row logs something.
    const QString firstRow = lastTestName + QLatin1Char('(');
    const auto row = std::find_if(planned.cbegin(), planned.cend(),
                                  [&firstRow](const QString &name) { return name.startsWith(firstRow); });
    return planned.contains(lastTestName) || row == planned.cend() ? lastTestName : *row;
}

TestVerdict TestInProgress::failed(const QString &testName, const QString &message, double seconds)
{
    TestVerdict verdict;
    verdict.outcome = TestVerdict::Outcome::Fail;
    // A function's name holds no parenthesis; a row's may.
    const int open = testName.indexOf(QLatin1Char('('));
    verdict.function = open < 0 ? testName : testName.left(open);
    verdict.row = open < 0 ? QString() : testName.mid(open + 1).chopped(1);
    verdict.messageLines = QStringList{message};
    verdict.seconds = seconds;
    return verdict;
}
