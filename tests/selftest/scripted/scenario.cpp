#include "scenario.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

namespace {

// Scenario files are hand-written; a misspelt key must fail loudly instead of
// silently turning a misbehaving scenario into a correct one.
bool checkKeys(const QJsonObject &object, const QSet<QString> &known, const QString &where, QString *errorMessage)
{
    const QStringList keys = object.keys();
    for (const QString &key : keys) {
        if (!known.contains(key)) {
            *errorMessage = QStringLiteral("unknown key \"%1\" in %2").arg(key, where);
            return false;
        }
    }
    return true;
}

QStringList toStringList(const QJsonValue &value)
{
    QStringList list;
    const QJsonArray array = value.toArray();
    for (const QJsonValue &element : array)
        list.append(element.toString());
    return list;
}

bool parseRpcRule(const QJsonObject &object, Scenario::RpcRule *rule, QString *errorMessage)
{
    static const QSet<QString> known = {"method",      "start",   "call",   "skip",  "withhold",
                                        "holdForNext", "delayMs", "reply",  "set",   "remove",
                                        "add",         "prepend", "append", "print", "comment"};
    if (!checkKeys(object, known, QStringLiteral("an rpc rule"), errorMessage))
        return false;
    rule->method = object.value("method").toString();
    if (rule->method.isEmpty()) {
        *errorMessage = QStringLiteral("an rpc rule without \"method\"");
        return false;
    }
    rule->start = object.value("start").toInt();
    rule->call = object.value("call").toInt();
    rule->skip = object.value("skip").toBool();
    rule->withhold = object.value("withhold").toBool();
    rule->holdForNext = object.value("holdForNext").toBool();
    rule->delayMs = object.value("delayMs").toInt();
    rule->reply = object.value("reply").toString();
    rule->set = object.value("set").toObject();
    rule->remove = toStringList(object.value("remove"));
    rule->add = object.value("add").toObject();
    rule->prepend = object.value("prepend").toString();
    rule->append = object.value("append").toString();
    rule->print = toStringList(object.value("print"));
    return true;
}

bool parseHttpRule(const QJsonObject &object, Scenario::HttpRule *rule, QString *errorMessage)
{
    static const QSet<QString> known = {"port",       "path",  "status",     "body",
                                        "bodyBase64", "lines", "extraLines", "comment"};
    if (!checkKeys(object, known, QStringLiteral("an http rule"), errorMessage))
        return false;
    rule->port = object.value("port").toInt();
    rule->path = object.value("path").toString();
    rule->status = object.value("status").toInt();
    // Bytes that are no UTF-8 have no place in a JSON string.
    rule->hasBody = object.contains("body") || object.contains("bodyBase64");
    rule->body = object.contains("bodyBase64")
                     ? QByteArray::fromBase64(object.value("bodyBase64").toString().toLatin1())
                     : object.value("body").toString().toUtf8();
    rule->hasLines = object.contains("lines");
    rule->lines = toStringList(object.value("lines"));
    rule->extraLines = toStringList(object.value("extraLines"));
    return true;
}

bool parseGate(const QJsonObject &object, Scenario *scenario, QString *errorMessage)
{
    if (!checkKeys(object, {"opens", "closes", "openText"}, QStringLiteral("\"gate\""), errorMessage))
        return false;
    scenario->gateOpens = object.value("opens").toBool(true);
    scenario->gateCloses = object.value("closes").toBool(true);
    scenario->gateOpenText = object.value("openText").toString(QStringLiteral("open"));
    return true;
}

bool parseCodeMatch(const QString &text, Scenario::CodeMatch *codeMatch, QString *errorMessage)
{
    if (text.isEmpty() || text == "normalised")
        *codeMatch = Scenario::CodeMatch::Normalised;
    else if (text == "exact")
        *codeMatch = Scenario::CodeMatch::Exact;
    else if (text == "digitsOnly")
        *codeMatch = Scenario::CodeMatch::DigitsOnly;
    else {
        *errorMessage = QStringLiteral("unknown codeMatch \"%1\"").arg(text);
        return false;
    }
    return true;
}

bool parseDeliveredTime(const QString &text, Scenario::DeliveredTime *time, QString *errorMessage)
{
    if (text.isEmpty() || text == "closeRoundedUp")
        *time = Scenario::DeliveredTime::CloseRoundedUp;
    else if (text == "scanRoundedDown")
        *time = Scenario::DeliveredTime::ScanRoundedDown;
    else {
        *errorMessage = QStringLiteral("unknown deliveredTimestamp \"%1\"").arg(text);
        return false;
    }
    return true;
}

} // namespace

bool Scenario::RpcRule::matches(const QString &otherMethod, int otherStart, int otherCall) const
{
    return method == otherMethod && (start == 0 || start == otherStart) && (call == 0 || call == otherCall);
}

bool Scenario::HttpRule::matches(int otherPort, const QString &otherPath) const
{
    return port == otherPort && (path.isEmpty() || path == otherPath);
}

Scenario Scenario::fromEnvironment(QString *errorMessage)
{
    const QString path = qEnvironmentVariable("KORVU_SCENARIO");
    if (path.isEmpty())
        return Scenario();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *errorMessage = QStringLiteral("cannot read scenario %1: %2").arg(path, file.errorString());
        return Scenario();
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject()) {
        *errorMessage = QStringLiteral("scenario %1 is not a JSON object: %2").arg(path, parseError.errorString());
        return Scenario();
    }
    QString why;
    Scenario scenario = fromJson(document.object(), &why);
    if (!why.isEmpty())
        *errorMessage = QStringLiteral("scenario %1: %2").arg(path, why);
    return scenario;
}

Scenario Scenario::fromJson(const QJsonObject &object, QString *errorMessage)
{
    static const QSet<QString> known = {"description",
                                        "listenAfterMs",
                                        "listenAfterRestart",
                                        "requireAuthentication",
                                        "forgetOnRestart",
                                        "persistRemovals",
                                        "initialState",
                                        "codeMatch",
                                        "ignoreCalendar",
                                        "notify",
                                        "gate",
                                        "deliveredTimestamp",
                                        "rpc",
                                        "http",
                                        "closedPorts"};
    Scenario scenario;
    if (!checkKeys(object, known, QStringLiteral("the scenario"), errorMessage))
        return scenario;
    scenario.description = object.value("description").toString();
    scenario.listenAfterMs = object.value("listenAfterMs").toInt();
    scenario.listenAfterRestart = object.value("listenAfterRestart").toBool(true);
    scenario.requireAuthentication = object.value("requireAuthentication").toBool();
    scenario.forgetOnRestart = object.value("forgetOnRestart").toBool();
    scenario.persistRemovals = object.value("persistRemovals").toBool(true);
    scenario.initialState = object.value("initialState").toObject();
    scenario.ignoreCalendar = object.value("ignoreCalendar").toBool();
    scenario.notify = object.value("notify").toBool(true);
    if (!parseCodeMatch(object.value("codeMatch").toString(), &scenario.codeMatch, errorMessage)
        || !parseDeliveredTime(object.value("deliveredTimestamp").toString(), &scenario.deliveredTime, errorMessage)
        || !parseGate(object.value("gate").toObject(), &scenario, errorMessage))
        return scenario;

    const QJsonArray rpcRules = object.value("rpc").toArray();
    for (const QJsonValue &value : rpcRules) {
        RpcRule rule;
        if (!parseRpcRule(value.toObject(), &rule, errorMessage))
            return scenario;
        scenario.rpcRules.append(rule);
    }
    const QJsonArray httpRules = object.value("http").toArray();
    for (const QJsonValue &value : httpRules) {
        HttpRule rule;
        if (!parseHttpRule(value.toObject(), &rule, errorMessage))
            return scenario;
        scenario.httpRules.append(rule);
    }
    const QJsonArray closedPorts = object.value("closedPorts").toArray();
    for (const QJsonValue &value : closedPorts)
        scenario.closedPorts.append(value.toInt());
    return scenario;
}

QList<Scenario::RpcRule> Scenario::rpcRulesFor(const QString &method, int start, int call) const
{
    QList<RpcRule> matching;
    for (const RpcRule &rule : rpcRules) {
        if (rule.matches(method, start, call))
            matching.append(rule);
    }
    return matching;
}

QList<Scenario::HttpRule> Scenario::httpRulesFor(int port, const QString &path) const
{
    QList<HttpRule> matching;
    for (const HttpRule &rule : httpRules) {
        if (rule.matches(port, path))
            matching.append(rule);
    }
    return matching;
}
