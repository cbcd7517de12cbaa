#include "deliveryexperience.h"
#include "deliveryharness.h"
#include "deliveryservice.h"
#include "deliverystore.h"
#include "uuidtext.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

class TestDeliveryService : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void testStatus_data();
    void testStatus();
    void testMalformedParams_data();
    void testMalformedParams();
    void testRejectedDelivery_data();
    void testRejectedDelivery();
    void testDeliveryErrors_data();
    void testDeliveryErrors();
    void testListedRecord_data();
    void testListedRecord();
    void testGetDeliveries();
    void testInvalidDeliveryIds_data();
    void testInvalidDeliveryIds();
    void testRemoveDelivery();
    void testPersistence();
    void testFailedWritesChangeNothing();
    void testUnreadableRowIsSkipped();
    void testListingManyDeliveries();

private:
    QByteArray fill(QByteArray json) const;
    QVariant parseJson(const QByteArray &json) const;
    QVariantMap deliveryWith(const QByteArray &changes) const;
    DeliveryHarness::Reply add(const QVariantMap &delivery);
    // A refused delivery names its error, gets no id and is not stored.
    void verifyRefused(const DeliveryHarness::Reply &reply, const QString &deliveryError) const;

    std::unique_ptr<DeliveryHarness> m_harness;
    QUuid m_gate;
    QUuid m_scanner;
    QUuid m_notifier;
};

static const QByteArray removeMarker = "$remove";

static QByteArray repeatedJsonList(const QByteArray &element, int count)
{
    QByteArrayList elements;
    for (int i = 0; i < count; ++i)
        elements.append(element);
    return '[' + elements.join(',') + ']';
}

void TestDeliveryService::init()
{
    m_harness = std::make_unique<DeliveryHarness>();
    QVERIFY(m_harness->start());
    m_gate = m_harness->things()->addGate()->id();
    m_scanner = m_harness->things()->addScanner()->id();
    m_notifier = m_harness->things()->addNotificationDevice()->id();
}

void TestDeliveryService::cleanup() { m_harness.reset(); }

// Placeholders in the JSON texts of the data rows: thing ids in several forms.
QByteArray TestDeliveryService::fill(QByteArray json) const
{
    auto bare = [](const QUuid &id) { return Korvu::idText(id).toLatin1(); };
    json.replace("$bracedUpperGate", '{' + bare(m_gate).toUpper() + '}');
    json.replace("$bracedUpperScanner", '{' + bare(m_scanner).toUpper() + '}');
    json.replace("$UpperNotifier", bare(m_notifier).toUpper());
    json.replace("$gate", bare(m_gate));
    json.replace("$scanner", bare(m_scanner));
    json.replace("$notifier", bare(m_notifier));
    json.replace("$unknown", bare(QUuid::createUuid()));
    json.replace("$null", bare(QUuid()));
    return json;
}

QVariant TestDeliveryService::parseJson(const QByteArray &json) const
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(fill(json), &error);
    if (error.error != QJsonParseError::NoError)
        qWarning() << "Bad JSON in a data row:" << error.errorString() << json.left(200);
    return document.toVariant();
}

// A valid minimal delivery with the keys of changes set, or removed when
// their value is "$remove".
QVariantMap TestDeliveryService::deliveryWith(const QByteArray &changes) const
{
    QVariantMap delivery = parseJson(R"({"name": "Parcel", "trackingCode": "40862157",
                                         "gateId": "$gate", "scannerId": "$scanner"})")
                               .toMap();
    const QVariantMap changeMap = parseJson(changes).toMap();
    for (auto it = changeMap.cbegin(); it != changeMap.cend(); ++it) {
        if (it.value().toByteArray() == removeMarker)
            delivery.remove(it.key());
        else
            delivery.insert(it.key(), it.value());
    }
    return delivery;
}

DeliveryHarness::Reply TestDeliveryService::add(const QVariantMap &delivery)
{
    return m_harness->call(QStringLiteral("AddDelivery"), {{QStringLiteral("delivery"), delivery}});
}

void TestDeliveryService::verifyRefused(const DeliveryHarness::Reply &reply, const QString &deliveryError) const
{
    QCOMPARE(reply.params.value(QStringLiteral("deliveryError")).toString(), deliveryError);
    QVERIFY(!reply.params.contains(QStringLiteral("deliveryId")));
    QVERIFY(m_harness->listing().isEmpty());
}

void TestDeliveryService::testStatus_data()
{
    QTest::addColumn<bool>("gate");
    QTest::addColumn<bool>("scanner");
    QTest::addColumn<bool>("others");
    QTest::addColumn<bool>("available");

    QTest::newRow("nothing") << false << false << false << false;
    QTest::newRow("scanner only") << false << true << false << false;
    QTest::newRow("gate only") << true << false << false << false;
    QTest::newRow("notifier and lamp only") << false << false << true << false;
    QTest::newRow("gate and scanner") << true << true << false << true;
}

void TestDeliveryService::testStatus()
{
    QFETCH(bool, gate);
    QFETCH(bool, scanner);
    QFETCH(bool, others);
    QFETCH(bool, available);

    FakeThings *things = m_harness->things();
    for (Thing *thing : things->things())
        things->removeThing(thing->id());
    if (gate)
        things->addGate();
    if (scanner)
        things->addScanner();
    if (others) {
        things->addNotificationDevice();
        things->addThing(FakeDevicesPlugin::lampClass(), QStringLiteral("Lamp"));
    }

    const DeliveryHarness::Reply reply = m_harness->call(QStringLiteral("Status"));
    QVERIFY(reply.success);
    QCOMPARE(reply.params.value(QStringLiteral("available")).toBool(), available);
}

void TestDeliveryService::testMalformedParams_data()
{
    QTest::addColumn<QByteArray>("params");

    QTest::newRow("no delivery") << QByteArray("{}");
    QTest::newRow("delivery is a list") << QByteArray(R"({"delivery": [{"name": "Parcel"}]})");
    QTest::newRow("delivery is text") << QByteArray(R"({"delivery": "Parcel"})");
    QTest::newRow("delivery is a number") << QByteArray(R"({"delivery": 5})");
    QTest::newRow("delivery is null") << QByteArray(R"({"delivery": null})");
}

void TestDeliveryService::testMalformedParams()
{
    QFETCH(QByteArray, params);

    const DeliveryHarness::Reply reply = m_harness->callJson(QStringLiteral("AddDelivery"), params);
    QVERIFY(!reply.success);
    QVERIFY2(reply.errorMessage.contains(QLatin1String("PlavoDelivery.AddDelivery"))
                 && reply.errorMessage.contains(QLatin1String("\"delivery\"")),
             qPrintable(reply.errorMessage));
    QVERIFY(m_harness->listing().isEmpty());
}

void TestDeliveryService::testRejectedDelivery_data()
{
    QTest::addColumn<QByteArray>("changes");
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<QString>("deliveryError");

    const QString gateNotFound = QStringLiteral("DeliveryErrorGateNotFound");
    const QString scannerNotFound = QStringLiteral("DeliveryErrorScannerNotFound");
    const QByteArray item = R"({"datetime": 1700000000, "duration": 60})";
    // Values no delivery error names: the error message names the parameter.
    const auto refusedUnnamed = [](const char *tag, const QByteArray &changes, const char *parameter) {
        QTest::newRow(tag) << changes << QString::fromLatin1(parameter) << QString();
    };

    QTest::newRow("gate missing") << QByteArray(R"({"gateId": "$remove"})") << "delivery.gateId" << gateNotFound;
    QTest::newRow("gate null") << QByteArray(R"({"gateId": "$null"})") << "delivery.gateId" << gateNotFound;
    QTest::newRow("gate broken") << QByteArray(R"({"gateId": "{1234"})") << "delivery.gateId" << gateNotFound;
    QTest::newRow("gate open brace only") << QByteArray(R"({"gateId": "{$gate"})") << "delivery.gateId" << gateNotFound;
    QTest::newRow("gate trailing text") << QByteArray(R"({"gateId": "$gate-0"})") << "delivery.gateId" << gateNotFound;
    QTest::newRow("gate number") << QByteArray(R"({"gateId": 42})") << "delivery.gateId" << gateNotFound;
    QTest::newRow("scanner null") << QByteArray(R"({"scannerId": "$null"})") << "delivery.scannerId" << scannerNotFound;
    QTest::newRow("scanner list") << QByteArray(R"({"scannerId": ["$scanner"]})") << "delivery.scannerId"
                                  << scannerNotFound;

    refusedUnnamed("open duration zero", QByteArray(R"({"openDuration": 0})"), "delivery.openDuration");
    refusedUnnamed("open duration negative", QByteArray(R"({"openDuration": -5})"), "delivery.openDuration");
    refusedUnnamed("open duration over a day", QByteArray(R"({"openDuration": 86401})"), "delivery.openDuration");
    refusedUnnamed("open duration huge", QByteArray(R"({"openDuration": 1e300})"), "delivery.openDuration");
    refusedUnnamed("open duration fraction", QByteArray(R"({"openDuration": 1.5})"), "delivery.openDuration");
    refusedUnnamed("open duration text", QByteArray(R"({"openDuration": "30"})"), "delivery.openDuration");
    refusedUnnamed("open duration boolean", QByteArray(R"({"openDuration": true})"), "delivery.openDuration");
    refusedUnnamed("open duration null", QByteArray(R"({"openDuration": null})"), "delivery.openDuration");

    refusedUnnamed("calendar not a list", QByteArray(R"({"calendarItems": {}})"), "delivery.calendarItems");
    refusedUnnamed("calendar item number", QByteArray(R"({"calendarItems": [5]})"), "delivery.calendarItems[0]");
    refusedUnnamed("calendar item without duration", QByteArray(R"({"calendarItems": [{"datetime": 1700000000}]})"),
                   "delivery.calendarItems[0].duration");
    refusedUnnamed("calendar item without datetime", QByteArray(R"({"calendarItems": [{"duration": 60}]})"),
                   "delivery.calendarItems[0].datetime");
    refusedUnnamed("second item broken", "{\"calendarItems\": [" + item + R"(, {"datetime": -1, "duration": 60}]})",
                   "delivery.calendarItems[1].datetime");
    refusedUnnamed("datetime beyond 32 bits",
                   QByteArray(R"({"calendarItems": [{"datetime": 4294967296, "duration": 60}]})"),
                   "delivery.calendarItems[0].datetime");
    refusedUnnamed("duration zero", QByteArray(R"({"calendarItems": [{"datetime": 1700000000, "duration": 0}]})"),
                   "delivery.calendarItems[0].duration");
    refusedUnnamed("duration fraction", QByteArray(R"({"calendarItems": [{"datetime": 1700000000, "duration": 0.5}]})"),
                   "delivery.calendarItems[0].duration");
    refusedUnnamed("duration huge", QByteArray(R"({"calendarItems": [{"datetime": 1700000000, "duration": 1e20}]})"),
                   "delivery.calendarItems[0].duration");
    refusedUnnamed("too many calendar items", "{\"calendarItems\": " + repeatedJsonList(item, 101) + '}',
                   "delivery.calendarItems");

    refusedUnnamed("notifications not a list", QByteArray(R"({"notificationIds": "$notifier"})"),
                   "delivery.notificationIds");
    refusedUnnamed("notification broken", QByteArray(R"({"notificationIds": ["$notifier", "nope"]})"),
                   "delivery.notificationIds[1]");
    refusedUnnamed("thousands of notifications",
                   "{\"notificationIds\": " + repeatedJsonList("\"$notifier\"", 5000) + '}',
                   "delivery.notificationIds");

    refusedUnnamed("name number", QByteArray(R"({"name": 5})"), "delivery.name");
    refusedUnnamed("name null", QByteArray(R"({"name": null})"), "delivery.name");
    refusedUnnamed("name too long", "{\"name\": \"" + QByteArray(257, 'x') + "\"}", "delivery.name");
    refusedUnnamed("tracking code number", QByteArray(R"({"trackingCode": 40862157})"), "delivery.trackingCode");
    refusedUnnamed("tracking code too long", "{\"trackingCode\": \"" + QByteArray(129, '7') + "\"}",
                   "delivery.trackingCode");
    refusedUnnamed("tracking code broken surrogate", QByteArray(R"({"trackingCode": "4086\ud8002157"})"),
                   "delivery.trackingCode");
}

void TestDeliveryService::testRejectedDelivery()
{
    QFETCH(QByteArray, changes);
    QFETCH(QString, parameter);
    QFETCH(QString, deliveryError);

    const DeliveryHarness::Reply reply = add(deliveryWith(changes));
    QVERIFY(!reply.success);
    QVERIFY2(reply.errorMessage.startsWith(QLatin1String("PlavoDelivery.AddDelivery"))
                 && reply.errorMessage.contains(QLatin1Char('"') + parameter + QLatin1Char('"')),
             qPrintable(reply.errorMessage));
    verifyRefused(reply, deliveryError);
}

void TestDeliveryService::testDeliveryErrors_data()
{
    QTest::addColumn<QByteArray>("changes");
    QTest::addColumn<QString>("deliveryError");

    QTest::newRow("empty name") << QByteArray(R"({"name": ""})") << "DeliveryErrorInvalidName";
    QTest::newRow("blank name") << QByteArray(R"({"name": " \t\n"})") << "DeliveryErrorInvalidName";
    QTest::newRow("no name") << QByteArray(R"({"name": "$remove"})") << "DeliveryErrorInvalidName";
    QTest::newRow("empty code") << QByteArray(R"({"trackingCode": ""})") << "DeliveryErrorInvalidTrackingCode";
    QTest::newRow("blank code") << QByteArray(R"({"trackingCode": "   "})") << "DeliveryErrorInvalidTrackingCode";
    QTest::newRow("no code") << QByteArray(R"({"trackingCode": "$remove"})") << "DeliveryErrorInvalidTrackingCode";
    QTest::newRow("code without letters or digits")
        << QByteArray(R"({"trackingCode": "- / -"})") << "DeliveryErrorInvalidTrackingCode";
    QTest::newRow("unknown gate") << QByteArray(R"({"gateId": "$unknown"})") << "DeliveryErrorGateNotFound";
    QTest::newRow("gate is a scanner") << QByteArray(R"({"gateId": "$scanner"})") << "DeliveryErrorGateNotFound";
    QTest::newRow("unknown scanner") << QByteArray(R"({"scannerId": "$unknown"})") << "DeliveryErrorScannerNotFound";
    QTest::newRow("scanner is the gate") << QByteArray(R"({"scannerId": "$gate"})") << "DeliveryErrorScannerNotFound";
    QTest::newRow("unknown notifier") << QByteArray(R"({"notificationIds": ["$unknown"]})")
                                      << "DeliveryErrorNotificationDeviceNotFound";
    QTest::newRow("valid and unknown notifier")
        << QByteArray(R"({"notificationIds": ["$notifier", "$unknown"]})") << "DeliveryErrorNotificationDeviceNotFound";
    QTest::newRow("null notifier") << QByteArray(R"({"notificationIds": ["$null"]})")
                                   << "DeliveryErrorNotificationDeviceNotFound";
    QTest::newRow("notifier is the gate")
        << QByteArray(R"({"notificationIds": ["$gate"]})") << "DeliveryErrorNotificationDeviceNotFound";

    QTest::newRow("name before code") << QByteArray(R"({"name": "", "trackingCode": ""})")
                                      << "DeliveryErrorInvalidName";
    QTest::newRow("code before gate") << QByteArray(R"({"trackingCode": "", "gateId": "$unknown"})")
                                      << "DeliveryErrorInvalidTrackingCode";
    QTest::newRow("gate before scanner") << QByteArray(R"({"gateId": "$unknown", "scannerId": "$unknown"})")
                                         << "DeliveryErrorGateNotFound";
    QTest::newRow("scanner before notifier")
        << QByteArray(R"({"scannerId": "$unknown", "notificationIds": ["$unknown"]})")
        << "DeliveryErrorScannerNotFound";
}

void TestDeliveryService::testDeliveryErrors()
{
    QFETCH(QByteArray, changes);
    QFETCH(QString, deliveryError);

    const DeliveryHarness::Reply reply = add(deliveryWith(changes));
    QVERIFY2(reply.success, qPrintable(reply.errorMessage));
    verifyRefused(reply, deliveryError);
}

void TestDeliveryService::testListedRecord_data()
{
    QTest::addColumn<QByteArray>("changes");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray minimal =
        R"({"name": "Parcel", "trackingCode": "40862157", "gateId": "$gate", "scannerId": "$scanner"})";

    QTest::newRow("minimal") << QByteArray("{}") << minimal;
    QTest::newRow("with notifier")
        << QByteArray(R"({"notificationIds": ["$notifier"]})")
        << QByteArray(R"({"name": "Parcel", "trackingCode": "40862157", "gateId": "$gate", "scannerId": "$scanner",
                          "notificationIds": ["$notifier"]})");
    QTest::newRow("ids braced and upper-case")
        << QByteArray(R"({"gateId": "$bracedUpperGate", "scannerId": "$bracedUpperScanner",
                          "notificationIds": ["$UpperNotifier", "$notifier"]})")
        << QByteArray(R"({"name": "Parcel", "trackingCode": "40862157", "gateId": "$gate", "scannerId": "$scanner",
                          "notificationIds": ["$notifier", "$notifier"]})");
    QTest::newRow("everything")
        << QByteArray(R"({"openDuration": 1, "notificationIds": ["$notifier"],
                          "calendarItems": [{"datetime": 1700000000, "duration": 120, "note": "dropped"},
                                            {"datetime": 0, "duration": 4294967295}]})")
        << QByteArray(R"({"name": "Parcel", "trackingCode": "40862157", "gateId": "$gate", "scannerId": "$scanner",
                          "openDuration": 1, "notificationIds": ["$notifier"],
                          "calendarItems": [{"datetime": 1700000000, "duration": 120},
                                            {"datetime": 0, "duration": 4294967295}]})");
    QTest::newRow("whole numbers written with a fraction")
        << QByteArray(R"({"openDuration": 86400.0, "calendarItems": [{"datetime": 4294967295.0, "duration": 1.0}]})")
        << QByteArray(R"({"name": "Parcel", "trackingCode": "40862157", "gateId": "$gate", "scannerId": "$scanner",
                          "openDuration": 86400, "calendarItems": [{"datetime": 4294967295, "duration": 1}]})");
    QTest::newRow("empty lists")
        << QByteArray(R"({"notificationIds": [], "calendarItems": []})")
        << QByteArray(R"({"name": "Parcel", "trackingCode": "40862157", "gateId": "$gate", "scannerId": "$scanner",
                          "notificationIds": [], "calendarItems": []})");
    QTest::newRow("texts as sent")
        << QByteArray(R"({"name": " Grandma's parcel ", "trackingCode": "Waybill: 4086215730"})")
        << QByteArray(R"({"name": " Grandma's parcel ", "trackingCode": "Waybill: 4086215730",
                          "gateId": "$gate", "scannerId": "$scanner"})");
    QTest::newRow("unknown and service keys ignored")
        << QByteArray(R"({"colour": "red", "id": "$unknown", "delivered": true, "deliveredTimestamp": 5,
                          "createdTimestamp": 1})")
        << minimal;
}

void TestDeliveryService::testListedRecord()
{
    QFETCH(QByteArray, changes);
    QFETCH(QByteArray, expected);

    const qint64 before = QDateTime::currentSecsSinceEpoch();
    const DeliveryHarness::Reply reply = add(deliveryWith(changes));
    const qint64 after = QDateTime::currentSecsSinceEpoch();
    QVERIFY2(reply.success, qPrintable(reply.errorMessage));
    QCOMPARE(reply.params.value(QStringLiteral("deliveryError")).toString(), QStringLiteral("DeliveryErrorNoError"));
    const QString deliveryId = reply.params.value(QStringLiteral("deliveryId")).toString();
    QCOMPARE(deliveryId, Korvu::idText(QUuid(deliveryId)));

    const QVariantList listing = m_harness->listing();
    QCOMPARE(listing.size(), 1);
    QVariantMap record = listing.first().toMap();
    QCOMPARE(record.take(QStringLiteral("id")).toString(), deliveryId);
    const QVariant delivered = record.take(QStringLiteral("delivered"));
    QCOMPARE(delivered.userType(), int(QMetaType::Bool));
    QCOMPARE(delivered.toBool(), false);
    const qint64 created = record.take(QStringLiteral("createdTimestamp")).toLongLong();
    QVERIFY(created >= before && created <= after);
    QCOMPARE(record, parseJson(expected).toMap());
}

void TestDeliveryService::testGetDeliveries()
{
    const QString first = m_harness->addDelivery(deliveryWith(R"({"name": "First"})"));
    const QString second = m_harness->addDelivery(deliveryWith(R"({"name": "Second"})"));
    const QString third = m_harness->addDelivery(deliveryWith(R"({"name": "Third"})"));

    const QVariantList listing = m_harness->listing();
    QCOMPARE(listing.size(), 3);
    QCOMPARE(listing.at(0).toMap().value(QStringLiteral("id")).toString(), first);
    QCOMPARE(listing.at(1).toMap().value(QStringLiteral("id")).toString(), second);
    QCOMPARE(listing.at(2).toMap().value(QStringLiteral("id")).toString(), third);

    const QString bracedUpper = QLatin1Char('{') + second.toUpper() + QLatin1Char('}');
    const DeliveryHarness::Reply byId = m_harness->call(QStringLiteral("GetDeliveries"),
                                                        {{QStringLiteral("deliveryId"), bracedUpper}});
    QVERIFY(byId.success);
    QCOMPARE(byId.params.value(QStringLiteral("deliveries")).toList(), QVariantList{listing.at(1)});

    for (const QUuid &absent : {QUuid::createUuid(), QUuid()}) {
        const DeliveryHarness::Reply none = m_harness->call(QStringLiteral("GetDeliveries"),
                                                            {{QStringLiteral("deliveryId"), absent}});
        QVERIFY(none.success);
        QVERIFY(none.params.contains(QStringLiteral("deliveries")));
        QVERIFY(none.params.value(QStringLiteral("deliveries")).toList().isEmpty());
    }
}

void TestDeliveryService::testInvalidDeliveryIds_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QByteArray>("params");

    const QStringList methods{QStringLiteral("GetDeliveries"), QStringLiteral("RemoveDelivery")};
    for (const QString &method : methods) {
        const QByteArray prefix = method.toLatin1() + ", ";
        QTest::newRow(prefix + "broken id") << method << QByteArray(R"({"deliveryId": "12345"})");
        QTest::newRow(prefix + "number") << method << QByteArray(R"({"deliveryId": 12345})");
        QTest::newRow(prefix + "null") << method << QByteArray(R"({"deliveryId": null})");
        QTest::newRow(prefix + "list") << method << QByteArray(R"({"deliveryId": ["$gate"]})");
    }
    QTest::newRow("RemoveDelivery, no id") << QStringLiteral("RemoveDelivery") << QByteArray("{}");
}

void TestDeliveryService::testInvalidDeliveryIds()
{
    QFETCH(QString, method);
    QFETCH(QByteArray, params);

    m_harness->addDelivery(deliveryWith("{}"));
    const DeliveryHarness::Reply reply = m_harness->callJson(method, fill(params));
    QVERIFY(!reply.success);
    QVERIFY2(reply.errorMessage.contains(QStringLiteral("PlavoDelivery.") + method)
                 && reply.errorMessage.contains(QLatin1String("\"deliveryId\"")),
             qPrintable(reply.errorMessage));
    QCOMPARE(m_harness->listing().size(), 1);
}

void TestDeliveryService::testRemoveDelivery()
{
    const QString first = m_harness->addDelivery(deliveryWith(R"({"name": "First"})"));
    const QString second = m_harness->addDelivery(deliveryWith(R"({"name": "Second"})"));
    const QVariantMap secondRecord = m_harness->deliveryRecord(second);

    const QVariantMap params{{QStringLiteral("deliveryId"), QLatin1Char('{') + first.toUpper() + QLatin1Char('}')}};
    DeliveryHarness::Reply reply = m_harness->call(QStringLiteral("RemoveDelivery"), params);
    QVERIFY(reply.success);
    QCOMPARE(reply.params.value(QStringLiteral("deliveryError")).toString(), QStringLiteral("DeliveryErrorNoError"));
    QCOMPARE(m_harness->listing(), QVariantList{secondRecord});

    reply = m_harness->call(QStringLiteral("RemoveDelivery"), params);
    QVERIFY(reply.success);
    QCOMPARE(reply.params.value(QStringLiteral("deliveryError")).toString(),
             QStringLiteral("DeliveryErrorDeliveryNotFound"));
    QCOMPARE(m_harness->listing(), QVariantList{secondRecord});
}

void TestDeliveryService::testPersistence()
{
    const QString minimal = m_harness->addDelivery(deliveryWith("{}"));
    const QString full = m_harness->addDelivery(deliveryWith(
        R"({"name": "Full", "trackingCode": "1Z 841 06K", "openDuration": 45, "notificationIds": ["$notifier"],
            "calendarItems": [{"datetime": 1700000000, "duration": 60}, {"datetime": 4294967295, "duration": 1}]})"));
    const QString removed = m_harness->addDelivery(deliveryWith(R"({"name": "Removed"})"));
    const QString delivered = m_harness->addDelivery(deliveryWith(R"({"name": "Delivered"})"));
    QString error;
    QVERIFY(m_harness->experience()->store()->markDelivered(QUuid(delivered), 1700000123, &error));
    QVERIFY(m_harness->call(QStringLiteral("RemoveDelivery"), {{QStringLiteral("deliveryId"), removed}}).success);

    const QByteArray before = QJsonDocument::fromVariant(m_harness->listing()).toJson();
    QVERIFY(m_harness->restart());
    const QByteArray after = QJsonDocument::fromVariant(m_harness->listing()).toJson();
    QCOMPARE(after, before);
    QVERIFY(before.contains(minimal.toLatin1()) && before.contains(full.toLatin1()));
    QVERIFY(!after.contains(removed.toLatin1()));
    QCOMPARE(m_harness->deliveryRecord(delivered).value(QStringLiteral("deliveredTimestamp")).toLongLong(), 1700000123);

    // Creation order goes on after a restart.
    const QString later = m_harness->addDelivery(deliveryWith(R"({"name": "Later"})"));
    QVERIFY(m_harness->restart());
    const QVariantList listing = m_harness->listing();
    QCOMPARE(listing.size(), 4);
    QCOMPARE(listing.last().toMap().value(QStringLiteral("id")).toString(), later);
}

void TestDeliveryService::testFailedWritesChangeNothing()
{
    const QString kept = m_harness->addDelivery(deliveryWith("{}"));
    const QVariantList before = m_harness->listing();
    QSqlQuery query(m_harness->database());
    QVERIFY(query.exec(QStringLiteral("PRAGMA query_only = ON")));

    DeliveryHarness::Reply reply = add(deliveryWith(R"({"name": "Lost"})"));
    QVERIFY(!reply.success);
    QVERIFY2(reply.errorMessage.contains(QLatin1String("PlavoDelivery.AddDelivery")), qPrintable(reply.errorMessage));
    QVERIFY(!reply.params.contains(QStringLiteral("deliveryId")));

    reply = m_harness->call(QStringLiteral("RemoveDelivery"), {{QStringLiteral("deliveryId"), kept}});
    QVERIFY(!reply.success);
    QVERIFY2(reply.errorMessage.contains(QLatin1String("PlavoDelivery.RemoveDelivery")),
             qPrintable(reply.errorMessage));

    QString error;
    QVERIFY(!m_harness->experience()->store()->markDelivered(QUuid(kept), 1700000000, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(m_harness->listing(), before);

    QVERIFY(m_harness->restart());
    QCOMPARE(m_harness->listing(), before);
}

void TestDeliveryService::testUnreadableRowIsSkipped()
{
    const QString kept = m_harness->addDelivery(deliveryWith("{}"));
    QSqlQuery query(m_harness->database());
    QVERIFY(query.exec(QStringLiteral("INSERT INTO deliveries (id, record) VALUES ('broken', '{\"name\": 5')")));
    QVERIFY(query.exec(QStringLiteral("INSERT INTO deliveries (id, record) VALUES ('%1', '{}')")
                           .arg(Korvu::idText(QUuid::createUuid()))));
    QVERIFY(query.exec(QStringLiteral("INSERT INTO deliveries (id, record) VALUES ('%1', '[]')")
                           .arg(Korvu::idText(QUuid::createUuid()))));
    // A whole record, but of another delivery: taking it would list one delivery twice.
    QVERIFY(query.exec(QStringLiteral("INSERT INTO deliveries (id, record)"
                                      " SELECT '%1', record FROM deliveries WHERE id = '%2'")
                           .arg(Korvu::idText(QUuid::createUuid()), kept)));
    query.finish();

    QVERIFY(m_harness->restart());
    const QVariantList listing = m_harness->listing();
    QCOMPARE(listing.size(), 1);
    QCOMPARE(listing.first().toMap().value(QStringLiteral("id")).toString(), kept);
}

void TestDeliveryService::testListingManyDeliveries()
{
    // Durability is not under test here; this keeps 10,000 commits quick.
    QSqlQuery(m_harness->database()).exec(QStringLiteral("PRAGMA synchronous = OFF"));
    const QVariantMap params{{QStringLiteral("delivery"), deliveryWith(R"({"notificationIds": ["$notifier"]})")}};
    for (int i = 0; i < 10000; ++i)
        QVERIFY(m_harness->experience()->service()->call(QStringLiteral("AddDelivery"), params).isSuccess());

    QElapsedTimer timer;
    timer.start();
    const JsonReply reply = m_harness->experience()->service()->call(QStringLiteral("GetDeliveries"), QVariantMap());
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(reply.params().value(QStringLiteral("deliveries")).toList().size(), 10000);
    QVERIFY2(elapsed < 100, qPrintable(QStringLiteral("listing took %1 ms").arg(elapsed)));
}

QTEST_GUILESS_MAIN(TestDeliveryService)
#include "tst_deliveryservice.moc"
