#include "results/valuedifference.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

// Strings up to this long are shown whole; longer ones by an excerpt of
// this many characters on each side of their first difference.
const int wholeStringLength = 60;
const int excerptContext = 20;
const QString ellipsis = QStringLiteral("…");

const QString suiteExpected = QStringLiteral("Expected: ");
const QString suiteActual = QStringLiteral("\nGot: ");
const QRegularExpression frameworkPair(QStringLiteral(R"(^\s*(Actual|Expected)\s+\(.*?\)\s*: (.*)$)"),
                                       QRegularExpression::MultilineOption);
const QRegularExpression plainKey(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));

// The value a text starts with; undefined when it holds none, or one cut short.
QJsonValue leadingValue(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1Char('{')) || trimmed.startsWith(QLatin1Char('['))) {
        const QByteArray data = trimmed.toUtf8();
        QJsonParseError error;
        QJsonDocument document = QJsonDocument::fromJson(data, &error);
        if (error.error == QJsonParseError::GarbageAtEnd)
            document = QJsonDocument::fromJson(data.left(error.offset), &error);
        if (error.error != QJsonParseError::NoError)
            return QJsonValue(QJsonValue::Undefined);
        return document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
    }
    // A number, string or literal fills its line.
    const QString line = trimmed.section(QLatin1Char('\n'), 0, 0);
    QJsonParseError error;
    const QJsonArray wrapped = QJsonDocument::fromJson(QStringLiteral("[%1]").arg(line).toUtf8(), &error).array();
    return error.error == QJsonParseError::NoError && wrapped.size() == 1 ? wrapped.first()
                                                                          : QJsonValue(QJsonValue::Undefined);
}

QString excerpt(const QString &text, int at)
{
    const int start = qMax(0, at - excerptContext);
    const int end = qMin(text.size(), at + excerptContext);
    return (start > 0 ? ellipsis : QString()) + text.mid(start, end - start)
           + (end < text.size() ? ellipsis : QString());
}

bool isLongString(const QJsonValue &value) { return value.isString() && value.toString().size() > wholeStringLength; }

} // namespace

QString ValueDifference::Field::text() const
{
    QString text;
    if (expected.isUndefined())
        text = QStringLiteral("unexpected, got %1").arg(jsonText(actual));
    else if (actual.isUndefined())
        text = QStringLiteral("missing, expected %1").arg(jsonText(expected));
    else
        text = QStringLiteral("expected %1, got %2").arg(jsonText(expected), jsonText(actual));
    if (firstDifference >= 0)
        text += QStringLiteral(", first difference at index %1").arg(firstDifference);
    return path.isEmpty() ? text : path + QStringLiteral(": ") + text;
}

QJsonObject ValueDifference::Field::toJson() const
{
    QJsonObject object = {{QStringLiteral("path"), path}};
    if (!expected.isUndefined())
        object.insert(QStringLiteral("expected"), expected);
    if (!actual.isUndefined())
        object.insert(QStringLiteral("actual"), actual);
    if (firstDifference >= 0)
        object.insert(QStringLiteral("firstDifference"), firstDifference);
    return object;
}

ValueDifference ValueDifference::between(const QJsonValue &expected, const QJsonValue &actual)
{
    ValueDifference difference;
    const bool bothObjects = expected.isObject() && actual.isObject();
    const bool bothArrays = expected.isArray() && actual.isArray();
    const bool bothStrings = expected.isString() && actual.isString();
    if (bothObjects || bothArrays || (bothStrings && (isLongString(expected) || isLongString(actual)))) {
        difference.m_expected = expected;
        difference.m_actual = actual;
        difference.compare(QString(), expected, actual);
    }
    return difference;
}

ValueDifference ValueDifference::inMessage(const QString &message, const ActualWhereCut &actualWhereCut)
{
    QJsonValue expected(QJsonValue::Undefined);
    QJsonValue actual(QJsonValue::Undefined);
    const int expectedAt = message.indexOf(suiteExpected);
    if (expectedAt >= 0) {
        const int expectedStart = expectedAt + suiteExpected.size();
        const int actualAt = message.indexOf(suiteActual, expectedStart);
        expected = leadingValue(message.mid(expectedStart, actualAt < 0 ? -1 : actualAt - expectedStart));
        if (actualAt >= 0)
            actual = leadingValue(message.mid(actualAt + suiteActual.size()));
    } else {
        QRegularExpressionMatchIterator pairs = frameworkPair.globalMatch(message);
        while (pairs.hasNext()) {
            const QRegularExpressionMatch pair = pairs.next();
            (pair.captured(1) == QLatin1String("Actual") ? actual : expected) = leadingValue(pair.captured(2));
        }
    }
    if (!expected.isUndefined() && actual.isUndefined() && actualWhereCut)
        actual = actualWhereCut(expected);
    if (expected.isUndefined() || actual.isUndefined())
        return ValueDifference();
    return between(expected, actual);
}

void ValueDifference::compare(const QString &path, const QJsonValue &expected, const QJsonValue &actual)
{
    if (expected == actual)
        return;
    if (expected.isObject() && actual.isObject()) {
        const QJsonObject expectedObject = expected.toObject();
        const QJsonObject actualObject = actual.toObject();
        for (auto it = expectedObject.begin(); it != expectedObject.end(); ++it)
            compare(memberPath(path, it.key()), it.value(), actualObject.value(it.key()));
        for (auto it = actualObject.begin(); it != actualObject.end(); ++it) {
            if (!expectedObject.contains(it.key()))
                m_fields.append({memberPath(path, it.key()), QJsonValue(QJsonValue::Undefined), it.value()});
        }
        return;
    }
    if (expected.isArray() && actual.isArray()) {
        const QJsonArray expectedArray = expected.toArray();
        const QJsonArray actualArray = actual.toArray();
        for (int i = 0; i < qMax(expectedArray.size(), actualArray.size()); ++i)
            compare(elementPath(path, i), expectedArray.at(i), actualArray.at(i));
        return;
    }
    if (expected.isString() && actual.isString() && (isLongString(expected) || isLongString(actual))) {
        const QString expectedText = expected.toString();
        const QString actualText = actual.toString();
        int at = 0;
        while (at < expectedText.size() && at < actualText.size() && expectedText.at(at) == actualText.at(at))
            ++at;
        m_fields.append({path, excerpt(expectedText, at), excerpt(actualText, at), at});
        return;
    }
    m_fields.append({path, expected, actual});
}

QString ValueDifference::jsonText(const QJsonValue &value)
{
    // A document holds no bare value; an array of one shows it as written.
    const QByteArray text = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(text.mid(1, text.size() - 2));
}

QString ValueDifference::memberPath(const QString &path, const QString &key)
{
    if (!plainKey.match(key).hasMatch())
        return QStringLiteral("%1[%2]").arg(path, jsonText(key));
    return path.isEmpty() ? key : path + QLatin1Char('.') + key;
}

QString ValueDifference::elementPath(const QString &path, int index)
{
    return QStringLiteral("%1[%2]").arg(path).arg(index);
}

bool ValueDifference::isEmpty() const { return m_fields.isEmpty(); }

QVector<ValueDifference::Field> ValueDifference::fields() const { return m_fields; }

QJsonValue ValueDifference::expected() const { return m_expected; }

QJsonValue ValueDifference::actual() const { return m_actual; }

QStringList ValueDifference::lines() const
{
    QStringList lines;
    for (const Field &field : m_fields)
        lines.append(field.text());
    return lines;
}

QJsonArray ValueDifference::toJson() const
{
    QJsonArray fields;
    for (const Field &field : m_fields)
        fields.append(field.toJson());
    return fields;
}
