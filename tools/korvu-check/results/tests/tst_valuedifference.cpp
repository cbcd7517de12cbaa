#include "results/valuedifference.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

const QJsonObject delivery = {{"id", "{de11ce00-0000-4000-8000-000000000001}"},
                              {"name", "Delivery"},
                              {"createdTimestamp", 1796829070},
                              {"notificationIds", QJsonArray{"n1", "n2"}}};

QJsonObject with(QJsonObject object, const QString &key, const QJsonValue &value)
{
    if (value.isUndefined())
        object.remove(key);
    else
        object.insert(key, value);
    return object;
}

QString indented(const QJsonObject &object) { return QString::fromUtf8(QJsonDocument(object).toJson()).trimmed(); }

// As the suite's QVERIFY2 prints a record that does not match.
QString suiteMessage(const QJsonObject &actual, const QJsonObject &expected = delivery)
{
    return QStringLiteral("'addedDelivery == expected' returned FALSE. (Delivery not matching after AddDelivery and "
                          "GetDeliveries.\nExpected: %1\nGot: %2)")
        .arg(indented(expected), indented(actual));
}

const QString longText = QString(70, QLatin1Char('a')) + QStringLiteral("X") + QString(30, QLatin1Char('b'));

} // namespace

class TestValueDifference : public QObject
{
    Q_OBJECT
private slots:
    void testFieldsThatDiffer_data();
    void testFieldsThatDiffer();
    void testActualWhereCut();
};

void TestValueDifference::testFieldsThatDiffer_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("one second off") << suiteMessage(with(delivery, "createdTimestamp", 1796829069))
                                    << QStringList{"createdTimestamp: expected 1796829070, got 1796829069"};
    QTest::newRow("missing field") << suiteMessage(with(delivery, "notificationIds", QJsonValue::Undefined))
                                   << QStringList{R"(notificationIds: missing, expected ["n1","n2"])"};
    QTest::newRow("extra field") << suiteMessage(with(delivery, "extra", 3)) << QStringList{"extra: unexpected, got 3"};
    QTest::newRow("array element missing") << suiteMessage(with(delivery, "notificationIds", QJsonArray{"n1"}))
                                           << QStringList{R"(notificationIds[1]: missing, expected "n2")"};
    QTest::newRow("string case, and the order of fields")
        << suiteMessage(with(with(delivery, "name", "delivery"), "createdTimestamp", 0))
        << QStringList{"createdTimestamp: expected 1796829070, got 0", R"(name: expected "Delivery", got "delivery")"};
    QTest::newRow("nested path") << QStringLiteral("Listing differs.\nExpected: {\"a\": {\"b\": [0, 1, {\"c\": "
                                                   "true}], \"odd key\": 1}}\nGot: {\"a\": {\"b\": [0, 1, {\"c\": "
                                                   "false}], \"odd key\": 2}}")
                                 << QStringList{"a.b[2].c: expected true, got false",
                                                R"(a["odd key"]: expected 1, got 2)"};
    QTest::newRow("long string") << suiteMessage(with(delivery, "name", QString(longText).replace('X', 'Y')),
                                                 with(delivery, "name", longText))
                                 << QStringList{
                                        QStringLiteral("name: expected \"…aaaaaaaaaaaaaaaaaaaaXbbbbbbbbbbbbbbbbbbb…\", "
                                                       "got \"…aaaaaaaaaaaaaaaaaaaaYbbbbbbbbbbbbbbbbbbb…\", "
                                                       "first difference at index 70")};
    // QCOMPARE pads its labels since Qt 5.14, so that the values line up.
    QTest::newRow("QCOMPARE pair, unpadded")
        << QStringLiteral("Compared values are not the same\n"
                          "   Actual   (name): \"%1\"\n"
                          "   Expected (QString(\"Y\")): \"%2\"")
               .arg(longText, QString(longText).replace('X', 'Y'))
        << QStringList{QStringLiteral("expected \"…aaaaaaaaaaaaaaaaaaaaYbbbbbbbbbbbbbbbbbbb…\", got "
                                      "\"…aaaaaaaaaaaaaaaaaaaaXbbbbbbbbbbbbbbbbbbb…\", first "
                                      "difference at index 70")};
    QTest::newRow("QCOMPARE pair, padded")
        << QStringLiteral("Compared lists differ at index 0.\n"
                          "   Actual   (names)               : \"%1\"\n"
                          "   Expected (QStringList{f(\"a\")}): \"%2\"")
               .arg(longText, longText.left(72))
        << QStringList{QStringLiteral("expected \"…aaaaaaaaaaaaaaaaaaXb\", got "
                                      "\"…aaaaaaaaaaaaaaaaaaXbbbbbbbbbbbbbbbbbbbbb…\", first difference "
                                      "at index 72")};
    QTest::newRow("short values, shown whole by the message")
        << QStringLiteral("Unexpected result count!\nExpected: 0\nGot: 1\n{\"deliveries\": [{}]}") << QStringList();
    QTest::newRow("values of different types")
        << QStringLiteral("Status is not what it should be.\nExpected: 1\nGot: {\"available\": false}")
        << QStringList();
    QTest::newRow("message without values") << QStringLiteral("Garage did not open") << QStringList();
    QTest::newRow("no JSON") << QStringLiteral("Unexpected delivery error.\nExpected: DeliveryErrorNoError\nGot: "
                                               "DeliveryErrorNotFound")
                             << QStringList();
    QTest::newRow("invalid JSON") << QStringLiteral("Listing differs.\nExpected: {\"a\": 1,}\nGot: {\"a\": 2}")
                                  << QStringList();
    QTest::newRow("actual cut short") << suiteMessage(with(delivery, "name", "delivery")).chopped(30) << QStringList();
}

void TestValueDifference::testFieldsThatDiffer()
{
    QFETCH(QString, message);
    QFETCH(QStringList, lines);

    const ValueDifference difference = ValueDifference::inMessage(message);
    QCOMPARE(difference.lines(), lines);
    QCOMPARE(difference.toJson().size(), lines.size());
}

void TestValueDifference::testActualWhereCut()
{
    const QJsonObject listed = with(delivery, "createdTimestamp", 1796829071);
    QJsonValue given;
    const ValueDifference difference = ValueDifference::inMessage(suiteMessage(listed).chopped(30),
                                                                  [&](const QJsonValue &expected) {
                                                                      given = expected;
                                                                      return QJsonValue(listed);
                                                                  });
    QCOMPARE(given, QJsonValue(delivery));
    QCOMPARE(difference.lines(), QStringList{"createdTimestamp: expected 1796829070, got 1796829071"});
    QCOMPARE(difference.toJson(),
             (QJsonArray{QJsonObject{{"path", "createdTimestamp"}, {"expected", 1796829070}, {"actual", 1796829071}}}));
}

QTEST_GUILESS_MAIN(TestValueDifference)
#include "tst_valuedifference.moc"
