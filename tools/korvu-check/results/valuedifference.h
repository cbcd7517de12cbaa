#ifndef KORVUCHECK_VALUEDIFFERENCE_H
#define KORVUCHECK_VALUEDIFFERENCE_H

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// What differs between the expected and the actual value of a failed
// comparison, field by field, so that the reader need not find the one field
// in two walls of JSON. Fields that are alike are left out.
class ValueDifference
{
public:
    // One field or element that differs, is missing or is unexpected.
    struct Field
    {
        // "name", "a.b[2].c", "[1]"; empty for the values themselves.
        QString path;
        // Undefined on the side that lacks the field. Of two long strings,
        // the excerpts around their first difference.
        QJsonValue expected;
        QJsonValue actual;
        // Of two long strings, the index of the first character that differs; else -1.
        int firstDifference = -1;

        // "createdTimestamp: expected 1796829070, got 1796829069",
        // "notificationIds[1]: missing, expected ...", "extra: unexpected, got 3".
        QString text() const;
        QJsonObject toJson() const;
    };

    // Where a message cut its actual value short, that value as found
    // elsewhere, or an undefined value.
    using ActualWhereCut = std::function<QJsonValue(const QJsonValue &expected)>;

    // Objects and arrays field by field, two strings where they are too long
    // to compare by eye. Any other pair, whose message shows it whole, has
    // no difference.
    static ValueDifference between(const QJsonValue &expected, const QJsonValue &actual);
    // The values a failure message compares: the suite's "Expected: ...\nGot: ..."
    // and the framework's "Actual (...): ...\n Expected (...): ..." pairs, where
    // they read as JSON; text after a value (the ")" closing a message) is no
    // part of it.
    static ValueDifference inMessage(const QString &message, const ActualWhereCut &actualWhereCut = {});

    bool isEmpty() const;
    QVector<Field> fields() const;
    // The values compared, whole.
    QJsonValue expected() const;
    QJsonValue actual() const;
    // Each field's text().
    QStringList lines() const;
    // [{"path": ..., "expected": ..., "actual": ...}, ...], a side left out where the field lacks it.
    QJsonArray toJson() const;

    // The path of an object's member and of an array's element, as fields name them.
    static QString memberPath(const QString &path, const QString &key);
    static QString elementPath(const QString &path, int index);
    // A value as compact JSON; a number, string or literal as written.
    static QString jsonText(const QJsonValue &value);

private:
    void compare(const QString &path, const QJsonValue &expected, const QJsonValue &actual);

    QJsonValue m_expected;
    QJsonValue m_actual;
    QVector<Field> m_fields;
};

#endif // KORVUCHECK_VALUEDIFFERENCE_H
