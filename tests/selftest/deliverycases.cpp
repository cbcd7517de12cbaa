// Cases of the delivery service checks: availability, adding, listing,
// removal and persistence.

#include "selftestcases.h"

#include "expectedtext.h"
#include "suitetexts.h"

using ExpectedText::json;

namespace {

const QString testAvailable = QStringLiteral("testAvailable");
const QString testAddDelivery = QStringLiteral("testAddDelivery");
const QString testGetDeliveries = QStringLiteral("testGetDeliveries");
const QString testRemoveDelivery = QStringLiteral("testRemoveDelivery");
const QString testDeliveryPersistence = QStringLiteral("testDeliveryPersistence");

const QString invalidName = QStringLiteral("invalid name, valid gate, valid scanner, valid code");
const QString invalidGate = QStringLiteral("valid name, invalid gate, valid scanner, valid code");
const QString invalidScanner = QStringLiteral("valid name, valid gate, invalid scanner, valid code");
const QString invalidCode = QStringLiteral("valid name, valid gate, valid scanner, invalid code");
const QString valid = QStringLiteral("valid name, valid gate, valid scanner, valid code");
const QString withNotification = QStringLiteral("with notification");
const QString withBadNotification = QStringLiteral("with bad notification");

const QString availabilityMessage = QStringLiteral(
    "PlavoDelivery.Status is not what it should be.\nExpected: %1\nGot: %2");
const QString addResultMessage = QStringLiteral("Unexpected result adding delivery:\nExpected: %1\nGot: %2");
const QString addErrorMessage = QStringLiteral("Unexpected delivery error.\nExpected: %1\nGot: %2");
const QString addedRecordMessage = QStringLiteral(
    "Delivery not matching after AddDelivery and GetDeliveries.\nExpected: %1\nGot: %2");
const QString notFoundMessage = QStringLiteral(
    "Delivery {de11ce00-0000-4000-8000-000000000001} not found in GetDeliveries reply:\n%1");

// A reply as the scripted daemon sends it, with its id left open.
QString reply(const QString &status, const QString &params)
{
    return json(QStringLiteral(R"({"id":"<<N>>","params":%1,"status":"%2"})").arg(params, status));
}

// The record testAddDelivery's valid row adds, in compact JSON.
QString addedRecord(const QString &extraMembers = QString())
{
    return QStringLiteral(
               R"({"createdTimestamp":"<<N>>","delivered":false,"gateId":"7e1e0000-0000-4000-8000-000000000001",
        "id":"de11ce00-0000-4000-8000-000000000001","name":"Delivery",
        "scannerId":"7e1e0000-0000-4000-8000-000000000002","trackingCode":"864"%1})")
        .arg(extraMembers);
}

// The record testRemoveDelivery adds.
const char removalRecord[] =
    R"({"createdTimestamp":"<<N>>","delivered":false,"gateId":"7e1e0000-0000-4000-8000-000000000001",
    "id":"de11ce00-0000-4000-8000-000000000001","name":"Del",
    "scannerId":"7e1e0000-0000-4000-8000-000000000002","trackingCode":"5807"})";

// The record testDeliveryPersistence adds, with the calendar item's duration.
QString persistedRecord(int duration = 60)
{
    return QStringLiteral(R"({"calendarItems":[{"datetime":"<<N>>","duration":%1}],"createdTimestamp":"<<N>>",
        "delivered":false,"gateId":"7e1e0000-0000-4000-8000-000000000001","id":"de11ce00-0000-4000-8000-000000000001",
        "name":"Delivery","notificationIds":["7e1e0000-0000-4000-8000-000000000003"],
        "scannerId":"7e1e0000-0000-4000-8000-000000000002","trackingCode":"46190"})")
        .arg(duration);
}

// A case in which the suite's AddDelivery row finds another reply status than
// it expects, and shows the whole reply it got.
SelfTestCase addStatusFails(const char *name, const char *scenario, const QString &row, const char *expected,
                            const QString &got)
{
    return SelfTestCase(name, scenario)
        .runs(testAddDelivery, row)
        .failsVerify(testAddDelivery, row, SuiteTexts::addStatusAsExpected, addResultMessage.arg(expected, got));
}

// A case in which the suite's AddDelivery row finds another delivery error.
SelfTestCase addErrorFails(const char *name, const char *scenario, const QString &row, const char *expectedError,
                           const char *gotError)
{
    return SelfTestCase(name, scenario)
        .runs(testAddDelivery, row)
        .failsVerify(testAddDelivery, row, SuiteTexts::addErrorAsExpected,
                     addErrorMessage.arg(expectedError, gotError));
}

} // namespace

QList<SelfTestCase> SelfTestCases::availability()
{
    return {
        SelfTestCase("unavailable with gate and scanner fails that row only", "status-never-available.json")
            .runs(testAvailable)
            .failsVerify(testAvailable, "gate, scanner", SuiteTexts::availableAsExpected,
                         availabilityMessage.arg("1", reply("success", R"({"available":false})"))),

        SelfTestCase("available without a gate fails both rows without one", "status-always-available.json")
            .runs(testAvailable)
            .failsVerify(testAvailable, "No gate, no scanner", SuiteTexts::availableAsExpected,
                         availabilityMessage.arg("0", reply("success", R"({"available":true})")))
            .failsVerify(testAvailable, "No gate, scanner", SuiteTexts::availableAsExpected,
                         availabilityMessage.arg("0", reply("success", R"({"available":true})"))),

        SelfTestCase("a reply without params reads as unavailable", "status-without-params.json")
            .runs(testAvailable)
            .failsVerify(testAvailable, "gate, scanner", SuiteTexts::availableAsExpected,
                         availabilityMessage.arg("1", json(R"({"id":"<<N>>","status":"success"})"))),
    };
}

QList<SelfTestCase> SelfTestCases::addDelivery()
{
    return {
        addErrorFails("an empty name accepted without error fails the error check",
                      "add-error-replaced-by-no-error.json", invalidName, "DeliveryErrorInvalidName",
                      "DeliveryErrorNoError"),

        addStatusFails("a null gate id with status success fails the status check", "add-without-gate-succeeds.json",
                       invalidGate, "error",
                       json(R"({"id":3,"params":{"deliveryError":"DeliveryErrorGateNotFound"},"status":"success"})")),

        addStatusFails(
            "a null scanner id with status success fails the status check", "add-status-success.json", invalidScanner,
            "error",
            json(R"({"error":"PlavoDelivery.AddDelivery: parameter \"delivery.scannerId\" must not be the null UUID",
                     "id":"<<N>>","params":{"deliveryError":"DeliveryErrorScannerNotFound"},"status":"success"})")),

        addErrorFails("an empty tracking code with another error name fails the error check",
                      "add-wrong-error-name.json", invalidCode, "DeliveryErrorInvalidTrackingCode",
                      "DeliveryErrorInvalidName"),

        addStatusFails(
            "a valid delivery with status error fails the status check", "add-status-error.json", valid, "success",
            reply("error",
                  R"({"deliveryError":"DeliveryErrorNoError","deliveryId":"de11ce00-0000-4000-8000-000000000001"})")),

        SelfTestCase("a valid delivery without deliveryId fails the id check", "add-without-delivery-id.json")
            .runs(testAddDelivery, valid)
            .failsVerify(testAddDelivery, valid, SuiteTexts::deliveryIdNotNull, "New deliveryId must not be null"),

        SelfTestCase("a valid delivery with the all-zero id fails the id check", "add-null-delivery-id.json")
            .runs(testAddDelivery, valid)
            .failsVerify(testAddDelivery, valid, SuiteTexts::deliveryIdNotNull, "New deliveryId must not be null"),

        SelfTestCase("a valid delivery missing from the listing fails the lookup", "second-listing-empty.json")
            .runs(testAddDelivery, valid)
            .failsVerify(testAddDelivery, valid, SuiteTexts::addedDeliveryFound,
                         "Added delivery not found in GetDeliveries:\n" + reply("success", R"({"deliveries":[]})")),

        SelfTestCase("a listed record with one key more fails the record equality", "listing-with-extra-key.json")
            .runs(testAddDelivery, valid)
            .failsVerify(testAddDelivery, valid, SuiteTexts::addedDeliveryEqual,
                         addedRecordMessage.arg(json(addedRecord()), json(addedRecord(R"(,"openDuration":30)")))),

        SelfTestCase("a listed record with one key less fails the record equality", "listing-without-name.json")
            .runs(testAddDelivery, valid)
            .failsVerify(
                testAddDelivery, valid, SuiteTexts::addedDeliveryEqual,
                addedRecordMessage.arg(
                    json(addedRecord()),
                    json(
                        R"({"createdTimestamp":"<<N>>","delivered":false,"gateId":"7e1e0000-0000-4000-8000-000000000001",
                                          "id":"de11ce00-0000-4000-8000-000000000001",
                                          "scannerId":"7e1e0000-0000-4000-8000-000000000002","trackingCode":"864"})"))),

        SelfTestCase("a createdTimestamp one second off fails the record equality",
                     "listing-created-a-second-early.json")
            .runs(testAddDelivery, valid)
            .failsVerify(testAddDelivery, valid, SuiteTexts::addedDeliveryEqual,
                         addedRecordMessage.arg(json(addedRecord()), json(addedRecord()))),

        SelfTestCase("notification ids listed braced fail the record equality", "listing-braced-notification-ids.json")
            .runs(testAddDelivery, withNotification)
            .failsVerify(testAddDelivery, withNotification, SuiteTexts::addedDeliveryEqual,
                         addedRecordMessage.arg(
                             json(addedRecord(R"(,"notificationIds":["7e1e0000-0000-4000-8000-000000000003"])")),
                             json(addedRecord(R"(,"notificationIds":["{7e1e0000-0000-4000-8000-000000000003}"])")))),

        addErrorFails("an unknown notification device accepted without error fails the error check",
                      "add-error-replaced-by-no-error.json", withBadNotification,
                      "DeliveryErrorNotificationDeviceNotFound", "DeliveryErrorNoError"),
    };
}

QList<SelfTestCase> SelfTestCases::getDeliveries()
{
    return {
        SelfTestCase("an add with status error fails inside the adding loop", "third-add-status-error.json")
            .runs(testGetDeliveries, "10")
            .failsVerify(
                testGetDeliveries, "10", SuiteTexts::resultSuccess,
                reply(
                    "error",
                    R"({"deliveryError":"DeliveryErrorNoError","deliveryId":"de11ce00-0000-4000-8000-000000000003"})")),

        SelfTestCase("an add without deliveryId fails the id check", "add-without-delivery-id.json")
            .runs(testGetDeliveries, "1")
            .failsVerify(testGetDeliveries, "1", SuiteTexts::deliveryIdNotNull,
                         "DeliveryId in result must not be null:\n"
                             + reply("success", R"({"deliveryError":"DeliveryErrorNoError"})")),

        SelfTestCase("a listing with status error fails the listing check", "second-listing-status-error.json")
            .runs(testGetDeliveries, "0")
            .failsVerify(testGetDeliveries, "0", SuiteTexts::resultSuccess,
                         "GetDelivieries failed:\n" + reply("error", R"({"deliveries":[]})")),

        SelfTestCase("a listing with one record less fails the count", "second-listing-empty.json")
            .runs(testGetDeliveries, "1")
            .failsVerify(testGetDeliveries, "1", SuiteTexts::resultCount,
                         "Unexpected result count!\nExpected: 1\nGot: 0\n" + reply("success", R"({"deliveries":[]})")),

        SelfTestCase("a leftover delivery fails the count", "leftover-delivery.json")
            .runs(testGetDeliveries, "0")
            .failsVerify(testGetDeliveries, "0", SuiteTexts::resultCount,
                         "Unexpected result count!\nExpected: 0\nGot: 1\n"
                             + reply("success", R"({"deliveries":[{"createdTimestamp":1700000000,"delivered":false,
                                 "gateId":"0a7e0000-0000-4000-8000-000000000001","id":"de11ce00-0000-4000-8000-0000000000f1",
                                 "name":"Leftover","scannerId":"5ca40000-0000-4000-8000-000000000001","trackingCode":"999"}]})")),

        SelfTestCase("a listing under another id fails the lookup", "second-listing-other-id.json")
            .runs(testGetDeliveries, "1")
            .failsVerify(testGetDeliveries, "1", SuiteTexts::found,
                         notFoundMessage.arg(json(R"([{"createdTimestamp":"<<N>>","delivered":false,
                                 "gateId":"7e1e0000-0000-4000-8000-000000000001","id":"de11ce00-0000-4000-8000-0000000000ff",
                                 "name":"Delivery 1","notificationIds":["7e1e0000-0000-4000-8000-000000000003"],
                                 "scannerId":"7e1e0000-0000-4000-8000-000000000002","trackingCode":"7310"}])"))),
    };
}

QList<SelfTestCase> SelfTestCases::removeDelivery()
{
    const QString removeMessage = QStringLiteral("Error removing delivery:\n%1");
    return {
        SelfTestCase("removal stops when the add reply has no deliveryId", "add-without-delivery-id.json")
            .runs(testRemoveDelivery)
            .failsVerify(testRemoveDelivery, QString(), SuiteTexts::deliveryIdNotNull,
                         "Error adding delivery:\n" + reply("success", R"({"deliveryError":"DeliveryErrorNoError"})")),

        SelfTestCase("removal stops when the add reply has the all-zero id", "add-null-delivery-id.json")
            .runs(testRemoveDelivery)
            .failsVerify(
                testRemoveDelivery, QString(), SuiteTexts::deliveryIdNotNull,
                "Error adding delivery:\n"
                    + reply(
                        "success",
                        R"({"deliveryError":"DeliveryErrorNoError","deliveryId":"00000000-0000-0000-0000-000000000000"})")),

        SelfTestCase("removal needs only the id of an add reply, whatever its status", "add-status-error.json")
            .runs(testRemoveDelivery),

        SelfTestCase("removal stops when the listing lacks the new delivery", "second-listing-empty.json")
            .runs(testRemoveDelivery)
            .failsVerify(testRemoveDelivery, QString(), SuiteTexts::addedDeliveryFound,
                         notFoundMessage.arg(json("[]"))),

        SelfTestCase("a remove reply with status error fails the removal", "remove-status-error.json")
            .runs(testRemoveDelivery)
            .failsVerify(testRemoveDelivery, QString(), SuiteTexts::resultSuccess,
                         removeMessage.arg(reply("error", R"({"deliveryError":"DeliveryErrorNoError"})"))),

        SelfTestCase("a remove reply naming an error fails the removal", "remove-not-found.json")
            .runs(testRemoveDelivery)
            .failsVerify(testRemoveDelivery, QString(), SuiteTexts::resultNoError,
                         removeMessage.arg(reply("success", R"({"deliveryError":"DeliveryErrorDeliveryNotFound"})"))),

        SelfTestCase("a delivery still listed after its removal fails the removal", "remove-keeps-delivery.json")
            .runs(testRemoveDelivery)
            .failsVerify(testRemoveDelivery, QString(), SuiteTexts::notFound,
                         "Delivery {de11ce00-0000-4000-8000-000000000001} not disappeared in GetDeliveries after "
                         "RemoveDelivery:\n"
                             + json(QStringLiteral("[%1]").arg(removalRecord))),

        SelfTestCase("ids match by value: a braced upper-case id is found", "listing-upper-case-id.json")
            .runs(testRemoveDelivery),
    };
}

QList<SelfTestCase> SelfTestCases::persistence()
{
    const QString delivery1 = QStringLiteral("{de11ce00-0000-4000-8000-000000000001}");
    return {
        SelfTestCase("an add with status error fails the persistence check", "add-status-error.json")
            .runs(testDeliveryPersistence)
            .failsVerify(
                testDeliveryPersistence, QString(), SuiteTexts::responseSuccess,
                "Error adding delivery:\n"
                    + reply(
                        "error",
                        R"({"deliveryError":"DeliveryErrorNoError","deliveryId":"de11ce00-0000-4000-8000-000000000001"})")),

        SelfTestCase("a successful add without deliveryId fails the persistence check", "add-without-delivery-id.json")
            .runs(testDeliveryPersistence)
            .failsVerify(testDeliveryPersistence, QString(), SuiteTexts::deliveryIdNotNull,
                         "Delivery ID must not be null"),

        SelfTestCase("a listing before the restart without the delivery fails", "second-listing-empty.json")
            .runs(testDeliveryPersistence)
            .failsVerify(testDeliveryPersistence, QString(), SuiteTexts::loadedDeliveryFound,
                         QStringLiteral("Failed to find delivery %1 in GetDeliveries:\n").arg(delivery1)
                             + reply("success", R"({"deliveries":[]})")),

        SelfTestCase("a listing with status error before the restart passes, only the delivery counts there",
                     "listing-before-restart-status-error.json")
            .runs(testDeliveryPersistence),

        SelfTestCase("a listing with status error after the first restart fails",
                     "listing-after-restart-status-error.json")
            .runs(testDeliveryPersistence)
            .failsVerify(testDeliveryPersistence, QString(), SuiteTexts::responseSuccess,
                         "Error getting deliveries:\n"
                             + reply("error", QStringLiteral(R"({"deliveries":[%1]})").arg(persistedRecord()))),

        SelfTestCase("listing after restart drops the delivery", "forgets-on-restart.json")
            .runs(testDeliveryPersistence)
            .failsVerify(testDeliveryPersistence, QString(), SuiteTexts::loadedAfterRestartFound,
                         QStringLiteral("Failed to find delivery %1 in GetDeliveries after restart:\n").arg(delivery1)
                             + reply("success", R"({"deliveries":[]})")),

        SelfTestCase("a calendar item changed by the restart fails the comparison", "calendar-changed-by-restart.json")
            .runs(testDeliveryPersistence)
            .failsVerify(testDeliveryPersistence, QString(), SuiteTexts::loadedDeliveriesEqual,
                         QStringLiteral("Delivery not matching after korvu restart.\nExpected: %1\nGot: %2")
                             .arg(json(persistedRecord()), json(persistedRecord(3600)))),

        SelfTestCase("a remove reply naming an error between the restarts fails", "remove-not-found.json")
            .runs(testDeliveryPersistence)
            .failsVerify(testDeliveryPersistence, QString(), SuiteTexts::responseNoError,
                         "Error removing delivery:\n"
                             + reply("success", R"({"deliveryError":"DeliveryErrorDeliveryNotFound"})")),

        SelfTestCase("a remove reply without error between the restarts passes whatever its status",
                     "remove-status-error.json")
            .runs(testDeliveryPersistence),

        SelfTestCase("a listing with status error after the second restart fails",
                     "listing-after-second-restart-status-error.json")
            .runs(testDeliveryPersistence)
            .failsVerify(testDeliveryPersistence, QString(), SuiteTexts::responseSuccess,
                         "Error getting deliveries:\n" + reply("error", R"({"deliveries":[]})")),

        SelfTestCase("a removal kept only in memory comes back after the restart", "removal-not-persisted.json")
            .runs(testDeliveryPersistence)
            .failsVerify(testDeliveryPersistence, QString(), SuiteTexts::notFound,
                         QStringLiteral("Delivery %1 appeared again in GetDeliveries after removal and restart:\n")
                                 .arg(delivery1)
                             + reply("success", QStringLiteral(R"({"deliveries":[%1]})").arg(persistedRecord()))),
    };
}
