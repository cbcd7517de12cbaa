#include "testdeliveries.h"
#include "comparedvariant.h"
#include "traffictrace.h"

#include <deliverymocksids.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSignalSpy>
#include <QUrl>
#include <QUrlQuery>
#include <QtTest>

namespace {

const int gatePort = DeliveryMocksIds::garageGatePort;
const int scannerPort = DeliveryMocksIds::parcelScannerPort;
const int notificationDevicePort = DeliveryMocksIds::notificationDevicePort;

const char codeScannedEventTypeId[] = "0da90af2-90bc-43a6-bcdc-e50c39dbb8bf";
const char gateStateStateTypeId[] = "61ebba3f-02b2-472c-90e4-2ddb292e6ee9";

uint currentEpochSeconds() { return static_cast<uint>(QDateTime::currentDateTimeUtc().toSecsSinceEpoch()); }

QVariantMap calendarItem(int secondsFromNow, int duration)
{
    QVariantMap item;
    item.insert("datetime", static_cast<uint>(QDateTime::currentDateTime().addSecs(secondsFromNow).toSecsSinceEpoch()));
    item.insert("duration", duration);
    return item;
}

// The first listed delivery whose id is deliveryId, or an invalid variant.
QVariant findDelivery(const QVariantList &deliveries, const QUuid &deliveryId)
{
    for (const QVariant &delivery : deliveries) {
        if (delivery.toMap().value("id").toUuid() == deliveryId)
            return delivery;
    }
    return QVariant();
}

QVariantList listedDeliveries(const QVariant &response)
{
    return response.toMap().value("params").toMap().value("deliveries").toList();
}

// Issues a GET to a mock device's control port and waits up to 5 s for it.
// The reply belongs to the manager; an unfinished one is read as it stands.
QNetworkReply *getAndWait(QNetworkAccessManager &manager, int port, const QString &path,
                          const QUrlQuery &query = QUrlQuery())
{
    QUrl url;
    url.setScheme("http");
    url.setHost("127.0.0.1");
    url.setPort(port);
    url.setPath(path);
    if (!query.isEmpty())
        url.setQuery(query);

    QElapsedTimer waited;
    waited.start();
    QNetworkReply *reply = manager.get(QNetworkRequest(url));
    QSignalSpy spy(reply, &QNetworkReply::finished);
    spy.wait(5000);
    TrafficTrace::http(reply, waited.elapsed());
    return reply;
}

} // namespace

void TestDeliveries::testAvailable_data()
{
    QTest::addColumn<bool>("addGate");
    QTest::addColumn<bool>("addScanner");
    QTest::addColumn<bool>("available");

    QTest::newRow("No gate, no scanner") << false << false << false;
    QTest::newRow("No gate, scanner") << false << true << false;
    QTest::newRow("gate, scanner") << true << true << true;
}

void TestDeliveries::testAvailable()
{
    QFETCH(bool, addGate);
    QFETCH(bool, addScanner);
    QFETCH(bool, available);

    if (addGate)
        createGate();
    if (addScanner)
        createScanner();

    const QVariant response = requestAndWait("PlavoDelivery.Status");
    QVERIFY2(response.toMap().value("params").toMap().value("available").toBool() == available,
             QString("PlavoDelivery.Status is not what it should be.\nExpected: %1\nGot: %2")
                 .arg(QString::number(int(available)), jsonText(response))
                 .toUtf8());
}

void TestDeliveries::testAddDelivery_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("addGate");
    QTest::addColumn<bool>("addScanner");
    QTest::addColumn<QString>("trackingCode");
    QTest::addColumn<bool>("addNotificationDevice");
    QTest::addColumn<bool>("addInvalidNotificationDevice");
    QTest::addColumn<bool>("jsonSuccess");
    QTest::addColumn<QString>("deliveryError");

    QTest::newRow("invalid name, valid gate, valid scanner, valid code")
        << "" << true << true << "864" << false << false << true << "DeliveryErrorInvalidName";
    QTest::newRow("valid name, invalid gate, valid scanner, valid code")
        << "Delivery" << false << true << "864" << false << false << false << "DeliveryErrorGateNotFound";
    QTest::newRow("valid name, valid gate, invalid scanner, valid code")
        << "Delivery" << true << false << "864" << false << false << false << "DeliveryErrorScannerNotFound";
    QTest::newRow("valid name, valid gate, valid scanner, invalid code")
        << "Delivery" << true << true << "" << false << false << true << "DeliveryErrorInvalidTrackingCode";
    QTest::newRow("valid name, valid gate, valid scanner, valid code")
        << "Delivery" << true << true << "864" << false << false << true << "DeliveryErrorNoError";
    QTest::newRow("with notification") << "Delivery" << true << true << "864" << true << false << true
                                       << "DeliveryErrorNoError";
    QTest::newRow("with bad notification")
        << "Delivery" << true << true << "864" << true << true << true << "DeliveryErrorNotificationDeviceNotFound";
}

void TestDeliveries::testAddDelivery()
{
    QFETCH(QString, name);
    QFETCH(bool, addGate);
    QFETCH(bool, addScanner);
    QFETCH(QString, trackingCode);
    QFETCH(bool, addNotificationDevice);
    QFETCH(bool, addInvalidNotificationDevice);
    QFETCH(bool, jsonSuccess);
    QFETCH(QString, deliveryError);

    QUuid gateId;
    QUuid scannerId;
    QVariantList notificationIds;
    if (addGate)
        gateId = createGate();
    if (addScanner)
        scannerId = createScanner();
    if (addNotificationDevice)
        notificationIds.append(createNotificationDevice());
    if (addInvalidNotificationDevice)
        notificationIds.append(QUuid::createUuid());

    QVariantMap delivery;
    delivery.insert("gateId", gateId);
    delivery.insert("scannerId", scannerId);
    delivery.insert("name", name);
    delivery.insert("trackingCode", trackingCode);
    if (!notificationIds.isEmpty())
        delivery.insert("notificationIds", notificationIds);

    QVariantMap params;
    params.insert("delivery", delivery);
    QVariant response = requestAndWait("PlavoDelivery.AddDelivery", params);
    QVERIFY2(response.toMap().value("status").toString() == (jsonSuccess ? "success" : "error"),
             QString("Unexpected result adding delivery:\nExpected: %1\nGot: %2")
                 .arg(QString(jsonSuccess ? "success" : "error"), jsonText(response))
                 .toUtf8());
    if (!jsonSuccess)
        return;

    QVERIFY2(response.toMap().value("params").toMap().value("deliveryError").toString() == deliveryError,
             QString("Unexpected delivery error.\nExpected: %1\nGot: %2")
                 .arg(deliveryError, response.toMap().value("params").toMap().value("deliveryError").toString())
                 .toUtf8());
    if (deliveryError != "DeliveryErrorNoError")
        return;

    const QUuid deliveryId = response.toMap().value("params").toMap().value("deliveryId").toUuid();
    QVERIFY2(!deliveryId.isNull(), "New deliveryId must not be null");

    delivery.insert("id", deliveryId);
    delivery.insert("delivered", false);
    delivery.insert("createdTimestamp", currentEpochSeconds());

    response = requestAndWait("PlavoDelivery.GetDeliveries");
    const ComparedVariant addedDelivery = findDelivery(listedDeliveries(response), deliveryId);
    QVERIFY2(!addedDelivery.isNull(),
             QString("Added delivery not found in GetDeliveries:\n%1").arg(jsonText(response)).toUtf8());
    QVERIFY2(addedDelivery == QJsonDocument::fromVariant(delivery).toVariant().toMap(),
             QString("Delivery not matching after AddDelivery and GetDeliveries.\nExpected: %1\nGot: %2")
                 .arg(jsonText(delivery), jsonText(addedDelivery))
                 .toUtf8());
}

void TestDeliveries::testGetDeliveries_data()
{
    QTest::addColumn<int>("deliveryCount");

    QTest::newRow("0") << 0;
    QTest::newRow("1") << 1;
    QTest::newRow("10") << 10;
}

void TestDeliveries::testGetDeliveries()
{
    QFETCH(int, deliveryCount);

    const QUuid gateId = createGate();
    const QUuid scannerId = createScanner();
    const QUuid notificationDeviceId = createNotificationDevice();

    QVariant result;
    QList<QUuid> deliveryIds;
    for (int i = 0; i < deliveryCount; ++i) {
        QVariantMap delivery;
        delivery.insert("name", QString("Delivery %1").arg(i + 1));
        delivery.insert("gateId", gateId);
        delivery.insert("scannerId", scannerId);
        delivery.insert("trackingCode", "731" + QString::number(i));
        delivery.insert("notificationIds", QVariantList{notificationDeviceId});

        QVariantMap params;
        params.insert("delivery", delivery);
        result = requestAndWait("PlavoDelivery.AddDelivery", params);
        QVERIFY2(result.toMap().value("status").toString() == "success", jsonText(result).toUtf8());

        const QUuid deliveryId = result.toMap().value("params").toMap().value("deliveryId").toUuid();
        QVERIFY2(!deliveryId.isNull(), ("DeliveryId in result must not be null:\n" + jsonText(result)).toUtf8());
        deliveryIds.append(deliveryId);
    }

    result = requestAndWait("PlavoDelivery.GetDeliveries");
    QVERIFY2(result.toMap().value("status").toString() == "success",
             QString("GetDelivieries failed:\n%1").arg(jsonText(result)).toUtf8());
    QVERIFY2(
        result.toMap().value("params").toMap().value("deliveries").toList().count() == deliveryCount,
        QString("Unexpected result count!\nExpected: %1\nGot: %2\n%3")
            .arg(QString::number(deliveryCount), QString::number(listedDeliveries(result).count()), jsonText(result))
            .toUtf8());

    const QVariantList deliveries = listedDeliveries(result);
    for (const QUuid &deliveryId : qAsConst(deliveryIds)) {
        const bool found = findDelivery(deliveries, deliveryId).isValid();
        QVERIFY2(found, QString("Delivery %1 not found in GetDeliveries reply:\n%2")
                            .arg(deliveryId.toString(), jsonText(deliveries))
                            .toUtf8());
    }
}

void TestDeliveries::testRemoveDelivery()
{
    const QUuid gateId = createGate();
    const QUuid scannerId = createScanner();

    QVariantMap delivery;
    delivery.insert("gateId", gateId);
    delivery.insert("scannerId", scannerId);
    delivery.insert("name", "Del");
    delivery.insert("trackingCode", "5807");

    QVariantMap params;
    params.insert("delivery", delivery);
    const QVariant addReply = requestAndWait("PlavoDelivery.AddDelivery", params);
    const QUuid deliveryId = addReply.toMap().value("params").toMap().value("deliveryId").toUuid();
    QVERIFY2(!deliveryId.isNull(), QString("Error adding delivery:\n%1").arg(jsonText(addReply)).toUtf8());

    QVariant result = requestAndWait("PlavoDelivery.GetDeliveries");
    QVariantList deliveries = listedDeliveries(result);
    const QVariant addedDelivery = findDelivery(deliveries, deliveryId);
    QVERIFY2(!addedDelivery.isNull(), QString("Delivery %1 not found in GetDeliveries reply:\n%2")
                                          .arg(deliveryId.toString(), jsonText(deliveries))
                                          .toUtf8());

    params.clear();
    params.insert("deliveryId", deliveryId);
    result = requestAndWait("PlavoDelivery.RemoveDelivery", params);
    QVERIFY2(result.toMap().value("status").toString() == "success",
             QString("Error removing delivery:\n%1").arg(jsonText(result)).toUtf8());
    QVERIFY2(result.toMap().value("params").toMap().value("deliveryError").toString() == "DeliveryErrorNoError",
             QString("Error removing delivery:\n%1").arg(jsonText(result)).toUtf8());

    result = requestAndWait("PlavoDelivery.GetDeliveries");
    deliveries = listedDeliveries(result);
    const bool found = findDelivery(deliveries, deliveryId).isValid();
    QVERIFY2(!found, QString("Delivery %1 not disappeared in GetDeliveries after RemoveDelivery:\n%2")
                         .arg(deliveryId.toString(), jsonText(deliveries))
                         .toUtf8());
}

void TestDeliveries::testDeliveryPersistence()
{
    const QUuid gateId = createGate();
    const QUuid scannerId = createScanner();
    const QUuid notificationDeviceId = createNotificationDevice();

    QVariantMap delivery;
    delivery.insert("name", "Delivery");
    delivery.insert("gateId", gateId);
    delivery.insert("scannerId", scannerId);
    delivery.insert("trackingCode", "46190");
    delivery.insert("notificationIds", QVariantList{notificationDeviceId});
    delivery.insert("calendarItems", QVariantList{calendarItem(0, 60)});

    QVariantMap params;
    params.insert("delivery", delivery);
    QVariant response = requestAndWait("PlavoDelivery.AddDelivery", params);
    QVERIFY2(response.toMap().value("status").toString() == "success",
             QString("Error adding delivery:\n%1").arg(jsonText(response)).toUtf8());

    const QUuid deliveryId = response.toMap().value("params").toMap().value("deliveryId").toUuid();
    QVERIFY2(!deliveryId.isNull(), "Delivery ID must not be null");

    response = requestAndWait("PlavoDelivery.GetDeliveries");
    const ComparedVariant loadedDelivery = findDelivery(listedDeliveries(response), deliveryId);
    QVERIFY2(!loadedDelivery.isNull(), QString("Failed to find delivery %1 in GetDeliveries:\n%2")
                                           .arg(deliveryId.toString(), jsonText(response))
                                           .toUtf8());

    stopDaemon();
    startDaemon();

    response = requestAndWait("PlavoDelivery.GetDeliveries");
    QVERIFY2(response.toMap().value("status").toString() == "success",
             QString("Error getting deliveries:\n%1").arg(jsonText(response)).toUtf8());
    const ComparedVariant loadedDeliveryAfterRestert = findDelivery(listedDeliveries(response), deliveryId);
    QVERIFY2(!loadedDeliveryAfterRestert.isNull(),
             QString("Failed to find delivery %1 in GetDeliveries after restart:\n%2")
                 .arg(deliveryId.toString(), jsonText(response))
                 .toUtf8());
    QVERIFY2(loadedDelivery == loadedDeliveryAfterRestert,
             QString("Delivery not matching after korvu restart.\nExpected: %1\nGot: %2")
                 .arg(jsonText(loadedDelivery), jsonText(loadedDeliveryAfterRestert))
                 .toUtf8());

    params.clear();
    params.insert("deliveryId", deliveryId);
    response = requestAndWait("PlavoDelivery.RemoveDelivery", params);
    QVERIFY2(response.toMap().value("params").toMap().value("deliveryError").toString() == "DeliveryErrorNoError",
             QString("Error removing delivery:\n%1").arg(jsonText(response)).toUtf8());

    stopDaemon();
    startDaemon();

    response = requestAndWait("PlavoDelivery.GetDeliveries");
    QVERIFY2(response.toMap().value("status").toString() == "success",
             QString("Error getting deliveries:\n%1").arg(jsonText(response)).toUtf8());
    const bool found = findDelivery(listedDeliveries(response), deliveryId).isValid();
    QVERIFY2(!found, QString("Delivery %1 appeared again in GetDeliveries after removal and restart:\n%2")
                         .arg(deliveryId.toString(), jsonText(response))
                         .toUtf8());
}

void TestDeliveries::testDelivery_data()
{
    QTest::addColumn<QString>("trackingCode");
    QTest::addColumn<QString>("scannerCode");
    QTest::addColumn<QVariantList>("calendarItems");
    QTest::addColumn<bool>("accessGranted");

    // Taken once: every row runs some time after these windows were fixed.
    const QVariantList openWindow = {calendarItem(-60, 120)};
    const QVariantList futureWindow = {calendarItem(60, 120)};
    const QVariantList noWindow;

    QTest::newRow("wrong code") << "5807"
                                << "5808" << openWindow << false;
    QTest::newRow("inactive calendar item") << "5807"
                                            << "5807" << futureWindow << false;
    QTest::newRow("granted (no calendar item)") << "5807"
                                                << "5807" << noWindow << true;
    QTest::newRow("granted (active calendar item)") << "5807"
                                                    << "5807" << openWindow << true;
    QTest::newRow("granted (code with spaces)") << "73 0291 8465"
                                                << "7302918465" << openWindow << true;
    QTest::newRow("granted (code with dashes)") << "73-0291-8465"
                                                << "7302918465" << openWindow << true;
    QTest::newRow("granted (code with spaces and dashes)") << "73 0291-8465"
                                                           << "7302918465" << openWindow << true;
    QTest::newRow("DHL express worldwide 1") << "4086215730"
                                             << "WAYBILL4086215730" << openWindow << true;
    QTest::newRow("DHL express worldwide 2") << "Waybill: 4086215730"
                                             << "WAYBILL4086215730" << openWindow << true;
    QTest::newRow("DHL express germany 1") << "JJD000471203958816204"
                                           << "JJD000471203958816204" << openWindow << true;
    QTest::newRow("DHL express germany 2") << "JJ D000471203958816204"
                                           << "JJD000471203958816204" << openWindow << true;
    QTest::newRow("DHL standard germany 1") << "305719862243"
                                            << "305719862243" << openWindow << true;
    QTest::newRow("DHL standard germany 2") << "30.57 1986224 3"
                                            << "305719862243" << openWindow << true;
    QTest::newRow("UPS Standard intl 1") << "1Z84106K3971240516"
                                         << "1Z84106K3971240516" << openWindow << true;
    QTest::newRow("UPS Standard intl 2") << "1Z 841 06K 39 7124 0516"
                                         << "1Z84106K3971240516" << openWindow << true;
    QTest::newRow("DPD Prio") << "05218834762290"
                              << "0061527052188347622904419083" << openWindow << true;
    QTest::newRow("bad code") << "1-84106K3971240516"
                              << "1Z84106K3971240516" << openWindow << false;
}

void TestDeliveries::testDelivery()
{
    QFETCH(QString, trackingCode);
    QFETCH(QString, scannerCode);
    QFETCH(QVariantList, calendarItems);
    QFETCH(bool, accessGranted);

    const QUuid gateId = createGate();
    const QUuid scannerId = createScanner();
    const QUuid notificationDeviceId = createNotificationDevice();

    QVariantMap delivery;
    delivery.insert("name", "Delivery");
    delivery.insert("gateId", gateId);
    delivery.insert("scannerId", scannerId);
    delivery.insert("notificationIds", QVariantList{notificationDeviceId});
    delivery.insert("trackingCode", trackingCode);
    delivery.insert("openDuration", 1);
    delivery.insert("calendarItems", calendarItems);

    QVariantMap params;
    params.insert("delivery", delivery);
    qWarning().noquote() << "Adding delivery:" << jsonText(params);

    QVariant response = requestAndWait("PlavoDelivery.AddDelivery", params);
    const QUuid deliveryId = response.toMap().value("params").toMap().value("deliveryId").toUuid();
    QVERIFY2(!deliveryId.isNull(), QString("Failed to add delivery:\n%1").arg(jsonText(response)).toUtf8());

    QNetworkAccessManager manager;

    QUrlQuery scanQuery;
    scanQuery.addQueryItem("eventTypeId", codeScannedEventTypeId);
    scanQuery.addQueryItem("content", scannerCode);
    QNetworkReply *reply = getAndWait(manager, scannerPort, "/generateevent", scanQuery);
    reply->deleteLater();

    reply = getAndWait(manager, scannerPort, "/actionhistory");
    const QByteArray scannerActionHistory = reply->readAll().trimmed();
    QVERIFY2(scannerActionHistory.split('\n').count() == 1,
             QByteArray("Not the expected amount of actions triggered in the scanner:") + scannerActionHistory);

    const QUuid executedActionTypeId(QString::fromUtf8(scannerActionHistory.split('\n').first()));
    if (accessGranted)
        QCOMPARE(executedActionTypeId, QUuid("7e3e6b01-99a1-4346-826f-12ebff61c83d"));
    else
        QCOMPARE(executedActionTypeId, QUuid("03b1abeb-4589-44f9-849b-03a1465ef015"));

    reply = getAndWait(manager, gatePort, "/actionhistory");
    QCOMPARE(reply->error(), QNetworkReply::NoError);
    const QString gateActionHistory = QString::fromUtf8(reply->readAll().trimmed());
    QStringList actions = gateActionHistory.split("\n");
    QVERIFY2(actions.contains(QUuid("2eb6135e-579f-4b9a-be7b-785d664a3875").toString()) == accessGranted,
             QString("Gate Open action not as expected.\nExpected: %1\nBut action history is: %2")
                 .arg(QString::number(int(accessGranted)), gateActionHistory)
                 .toUtf8());

    if (!accessGranted)
        return;

    const QDateTime scanTime = QDateTime::currentDateTime();

    const bool isOpen = waitForGateState(gateId, "open", 5);
    QVERIFY2(isOpen, "Garage did not open");
    const bool isClosed = waitForGateState(gateId, "closed", 15);
    QVERIFY2(isClosed, "Garage did not close");

    reply = getAndWait(manager, notificationDevicePort, "/actionhistory");
    QCOMPARE(reply->error(), QNetworkReply::NoError);
    const QString notificationActionHistory = QString::fromUtf8(reply->readAll());
    actions = notificationActionHistory.split("\n");
    QVERIFY2(actions.contains(QUuid("86ed7935-5c88-4810-a94c-50a39946a04c").toString()) == accessGranted,
             QString("Notification action not as expected.\nExpected: %1\nBut action history is: %2")
                 .arg(QString::number(int(accessGranted)), notificationActionHistory)
                 .toUtf8());

    params.clear();
    params.insert("deliveryId", deliveryId);
    response = requestAndWait("PlavoDelivery.GetDeliveries", params);
    const QVariantList deliveries = listedDeliveries(response);
    QVERIFY2(!deliveries.isEmpty(), QString("GetDeliveries returned no delivery for %1:\n%2")
                                        .arg(deliveryId.toString(), jsonText(response))
                                        .toUtf8());
    const QVariantMap finalDelivery = deliveries.first().toMap();
    qDebug().noquote() << "final delivery:" << jsonText(finalDelivery);
    qDebug() << "scan time" << scanTime.toMSecsSinceEpoch() / 1000;

    QVERIFY2(finalDelivery.value("id").toUuid() == deliveryId, "Not the delivery we're expecting");
    QVERIFY2(finalDelivery.value("delivered").toBool(), "Delivery has not been marked as delivered");
    QVERIFY2(QDateTime::fromMSecsSinceEpoch(finalDelivery.value("deliveredTimestamp").toLongLong() * 1000) > scanTime,
             "Delivered timestamp seems not valid");
}

bool TestDeliveries::waitForGateState(const QUuid &gateId, const QString &state, int maxAttempts)
{
    QVariantMap params;
    params.insert("thingId", gateId);
    params.insert("stateTypeId", gateStateStateTypeId);
    for (int attempt = 0; attempt < maxAttempts; ++attempt) {
        const QVariant response = requestAndWait("Integrations.GetStateValue", params);
        const bool reached = response.toMap().value("params").toMap().value("value").toString() == state;
        // The pause follows every reading, also the one that sees the state.
        QTest::qWait(1000);
        if (reached)
            return true;
    }
    return false;
}

// Qt5::Test hands every target the top of the build tree as
// QT_TESTCASE_BUILDDIR; the framework is to know this suite's own directory.
#undef QT_TESTCASE_BUILDDIR
#define QT_TESTCASE_BUILDDIR TESTDELIVERIES_BUILDDIR

QTEST_MAIN(TestDeliveries)
