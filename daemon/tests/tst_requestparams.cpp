#include "requestparams.h"

#include <QtTest>

class TestRequestParams : public QObject
{
    Q_OBJECT
private slots:
    void testReadUuid_data();
    void testReadUuid();
    void testReadErrors_data();
    void testReadErrors();
};

// Which texts are UUIDs is Korvu::parseUuid's to decide (tst_uuidtext).
void TestRequestParams::testReadUuid_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");

    QTest::newRow("bare lower case") << "2e0da6d4-cea2-48c1-8d6d-b3e4ce204e92" << true;
    QTest::newRow("braced upper case") << "{2E0DA6D4-CEA2-48C1-8D6D-B3E4CE204E92}" << true;
    QTest::newRow("trailing text") << "2e0da6d4-cea2-48c1-8d6d-b3e4ce204e92x" << false;
    QTest::newRow("trailing text after braces") << "{2e0da6d4-cea2-48c1-8d6d-b3e4ce204e92}x" << false;
    QTest::newRow("null uuid") << "00000000-0000-0000-0000-000000000000" << false;
}

void TestRequestParams::testReadUuid()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);

    RequestParams request(QStringLiteral("Do.It"), {{QStringLiteral("thingId"), text}});
    QUuid uuid;
    QCOMPARE(request.readUuid(QStringLiteral("thingId"), &uuid), valid);
    if (valid)
        QCOMPARE(uuid, QUuid(QStringLiteral("2e0da6d4-cea2-48c1-8d6d-b3e4ce204e92")));
    else
        QCOMPARE(request.errorMessage(), QStringLiteral(R"(Do.It: parameter "thingId" must be a UUID)"));
}

void TestRequestParams::testReadErrors_data()
{
    QTest::addColumn<QVariantMap>("params");
    QTest::addColumn<QString>("expectedError");

    const QString id = QStringLiteral("2e0da6d4-cea2-48c1-8d6d-b3e4ce204e92");
    QTest::newRow("all fine") << QVariantMap{{"thingId", id}, {"name", "Lamp"}, {"params", QVariantMap()}} << QString();
    QTest::newRow("optional map missing") << QVariantMap{{"thingId", id}, {"name", "Lamp"}} << QString();
    QTest::newRow("uuid missing") << QVariantMap{{"name", "Lamp"}} << R"(Do.It: parameter "thingId" is missing)";
    QTest::newRow("uuid as a number") << QVariantMap{{"thingId", 5}, {"name", "Lamp"}}
                                      << R"(Do.It: parameter "thingId" must be a UUID)";
    QTest::newRow("name missing") << QVariantMap{{"thingId", id}} << R"(Do.It: parameter "name" is missing)";
    QTest::newRow("name as a number") << QVariantMap{{"thingId", id}, {"name", 5}}
                                      << R"(Do.It: parameter "name" must be a string)";
    QTest::newRow("map as a list") << QVariantMap{{"thingId", id}, {"name", "Lamp"}, {"params", QVariantList()}}
                                   << R"(Do.It: parameter "params" must be an object)";
    QTest::newRow("first error wins") << QVariantMap{{"thingId", 5}, {"name", 5}}
                                      << R"(Do.It: parameter "thingId" must be a UUID)";
}

void TestRequestParams::testReadErrors()
{
    QFETCH(QVariantMap, params);
    QFETCH(QString, expectedError);

    RequestParams request(QStringLiteral("Do.It"), params);
    QUuid thingId;
    QString name;
    QVariantMap map;
    const bool uuidRead = request.readUuid(QStringLiteral("thingId"), &thingId);
    const bool nameRead = request.readString(QStringLiteral("name"), &name);
    const bool mapRead = request.readOptionalMap(QStringLiteral("params"), &map);

    QCOMPARE(uuidRead && nameRead && mapRead, expectedError.isEmpty());
    QCOMPARE(request.errorMessage(), expectedError);
}

QTEST_GUILESS_MAIN(TestRequestParams)
#include "tst_requestparams.moc"
