#include "runchecks.h"

#include "suiterun.h"
#include "suitetexts.h"
#include "textpattern.h"

namespace {

const QString connectedMessage = QStringLiteral("Connected to korvu");
const QString refusedMessage = QLatin1String(SuiteTexts::connectionError)
                               + QStringLiteral(" QAbstractSocket::ConnectionRefusedError");

bool hasMessage(const QVector<TestMessage> &messages, TestMessage::Type type, const QString &text)
{
    for (const TestMessage &message : messages) {
        if (message.type == type && message.text == text)
            return true;
    }
    return false;
}

// Index in the record of the n-th (from 1) call of method, or -1.
int indexOfCall(const RequestRecord &record, const QString &method, int call)
{
    int index = -1;
    for (int i = 0; i < call; ++i) {
        index = record.indexOfMethod(method, index + 1);
        if (index < 0)
            return -1;
    }
    return index;
}

QString pauseProblem(qint64 pause, qint64 minimumMs, qint64 maximumMs, const QString &what)
{
    if (pause >= minimumMs && pause <= maximumMs)
        return QString();
    return QStringLiteral("%1 took %2 ms, expected %3 to %4 ms").arg(what).arg(pause).arg(minimumMs).arg(maximumMs);
}

} // namespace

SelfTestCase::Check RunChecks::daemonKilledInCleanup()
{
    return [](const SuiteRun &run) {
        const QVector<TestMessage> messages = run.log().messagesOf(QStringLiteral("cleanupTestCase"));
        if (hasMessage(messages, TestMessage::Type::Warning, "Process error: QProcess::Crashed")
            && hasMessage(messages, TestMessage::Type::Warning, "Korvu state changed: QProcess::NotRunning"))
            return QString();
        return QStringLiteral("cleanupTestCase did not log the kill of the daemon");
    };
}

SelfTestCase::Check RunChecks::failedAttemptsBeforeConnecting(int fewest, int most)
{
    return [fewest, most](const SuiteRun &run) {
        int failed = 0;
        const QVector<TestMessage> messages = run.log().messagesOf(QStringLiteral("initTestCase"));
        for (const TestMessage &message : messages) {
            if (message.type == TestMessage::Type::Debug && message.text == connectedMessage) {
                if (failed >= fewest && failed <= most)
                    return QString();
                return QStringLiteral("%1 failed attempts before \"%2\", expected %3 to %4")
                    .arg(failed)
                    .arg(connectedMessage)
                    .arg(fewest)
                    .arg(most);
            }
            if (message.type == TestMessage::Type::Warning && message.text == refusedMessage)
                ++failed;
        }
        return QStringLiteral("initTestCase never logged \"%1\"").arg(connectedMessage);
    };
}

SelfTestCase::Check RunChecks::neverConnected(int minimumAttempts, qint64 minimumMs)
{
    return [minimumAttempts, minimumMs](const SuiteRun &run) {
        const QVector<TestMessage> messages = run.log().messagesOf(QStringLiteral("initTestCase"));
        if (hasMessage(messages, TestMessage::Type::Debug, connectedMessage))
            return QStringLiteral("initTestCase connected after all");
        int failed = 0;
        for (const TestMessage &message : messages)
            failed += message.type == TestMessage::Type::Warning && message.text == refusedMessage;
        if (failed < minimumAttempts)
            return QStringLiteral("only %1 failed attempts, expected at least %2").arg(failed).arg(minimumAttempts);
        if (run.elapsedMs() < minimumMs)
            return QStringLiteral("the run gave up after %1 ms, expected at least %2 ms")
                .arg(run.elapsedMs())
                .arg(minimumMs);
        return QString();
    };
}

SelfTestCase::Check RunChecks::pauseAfter(const QString &method, int call, qint64 minimumMs, qint64 maximumMs)
{
    return [=](const SuiteRun &run) {
        const QList<RequestRecord::Entry> entries = run.requests().entries();
        const int index = indexOfCall(run.requests(), method, call);
        if (index < 0 || index + 1 >= entries.count())
            return QStringLiteral("no request after call %1 of %2").arg(call).arg(method);
        return pauseProblem(entries.at(index + 1).time - entries.at(index).time, minimumMs, maximumMs,
                            QStringLiteral("the pause after call %1 of %2").arg(call).arg(method));
    };
}

SelfTestCase::Check RunChecks::pauseBefore(const QString &method, int call, qint64 minimumMs, qint64 maximumMs)
{
    return [=](const SuiteRun &run) {
        const QList<RequestRecord::Entry> entries = run.requests().entries();
        const int index = indexOfCall(run.requests(), method, call);
        if (index < 1)
            return QStringLiteral("no request before call %1 of %2").arg(call).arg(method);
        return pauseProblem(entries.at(index).time - entries.at(index - 1).time, minimumMs, maximumMs,
                            QStringLiteral("the pause before call %1 of %2").arg(call).arg(method));
    };
}

SelfTestCase::Check RunChecks::controlPortRequests(const QStringList &requests)
{
    return [requests](const SuiteRun &run) {
        QStringList actual;
        const QList<RequestRecord::Entry> entries = run.requests().entries();
        for (const RequestRecord::Entry &entry : entries) {
            if (entry.kind == "http")
                actual.append(entry.summary());
        }
        if (actual == requests)
            return QString();
        return QStringLiteral("control-port requests:\n   %1\nexpected:\n   %2")
            .arg(actual.join(QStringLiteral("\n   ")), requests.join(QStringLiteral("\n   ")));
    };
}

SelfTestCase::Check RunChecks::sendsSomewhere(const QString &request)
{
    return [request](const SuiteRun &run) {
        const TextPattern pattern(request);
        const QList<RequestRecord::Entry> entries = run.requests().entries();
        for (const RequestRecord::Entry &entry : entries) {
            if (pattern.matches(entry.summary()))
                return QString();
        }
        return QStringLiteral("no request matches %1").arg(request);
    };
}

SelfTestCase::Check RunChecks::tracesExchange(const QString &function, const QString &row, const QString &kind,
                                              const QMap<QString, QString> &fields)
{
    return [=](const SuiteRun &run) {
        const QVector<QJsonObject> trace = run.trace();
        for (const QJsonObject &entry : trace) {
            if (entry.value("function").toString() != function || entry.value("row").toString() != row
                || entry.value("kind").toString() != kind)
                continue;
            bool matches = true;
            for (auto it = fields.cbegin(); it != fields.cend() && matches; ++it)
                matches = TextPattern(it.value()).matches(entry.value(it.key()).toVariant().toString());
            if (matches)
                return QString();
        }
        return QStringLiteral("no %1 exchange of %2(%3) is traced with %4")
            .arg(kind, function, row, QStringList(fields.values()).join(QStringLiteral(", ")));
    };
}
