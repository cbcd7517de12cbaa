// Cases of the end-to-end delivery flow, and the correct daemon.

#include "selftestcases.h"

#include "expectedtext.h"
#include "runchecks.h"
#include "suitetexts.h"

using ExpectedText::http;
using ExpectedText::json;
using ExpectedText::rpc;

namespace {

const QString testDelivery = QStringLiteral("testDelivery");
const QString noCalendar = QStringLiteral("granted (no calendar item)");

const QString acceptAction = QStringLiteral("{7e3e6b01-99a1-4346-826f-12ebff61c83d}");
const QString rejectAction = QStringLiteral("{03b1abeb-4589-44f9-849b-03a1465ef015}");
const QString nullAction = QStringLiteral("{00000000-0000-0000-0000-000000000000}");

// QCOMPARE's report on the scanner's action, labels padded as QtTest does.
QString scannerActionMismatch(const QString &actual, const QString &expected)
{
    const QString expectedExpression = QStringLiteral("QUuid(\"%1\")").arg(expected.mid(1, 36));
    const QString actualLabel = QStringLiteral("executedActionTypeId");
    const int width = qMax(actualLabel.size(), expectedExpression.size());
    return QStringLiteral("Compared values are not the same\n   Actual   (%1)%2: %3\n   Expected (%4)%5: %6")
        .arg(actualLabel, QString(width - actualLabel.size(), ' '), actual, expectedExpression,
             QString(width - expectedExpression.size(), ' '), expected);
}

QString networkErrorMismatch(const QString &error)
{
    return QStringLiteral("Compared values are not the same\n"
                          "   Actual   (reply->error())        : %1\n"
                          "   Expected (QNetworkReply::NoError): NoError")
        .arg(error);
}

QString gateMessage(const char *expected, const QString &history)
{
    return QStringLiteral("Gate Open action not as expected.\nExpected: %1\nBut action history is: %2")
        .arg(expected, history);
}

QString notificationMessage(const QString &history)
{
    return QStringLiteral("Notification action not as expected.\nExpected: 1\nBut action history is: %1").arg(history);
}

QString emptyListingReply() { return json(R"({"id":"<<N>>","params":{"deliveries":[]},"status":"success"})"); }

// The control-port requests of a granted row, scanning code.
QStringList grantedRowControlRequests(const QString &code)
{
    return {http(6656, "/generateevent?eventTypeId=0da90af2-90bc-43a6-bcdc-e50c39dbb8bf&content=" + code),
            http(6656, "/actionhistory"), http(6655, "/actionhistory"), http(6657, "/actionhistory")};
}

// A case whose "no calendar" row of testDelivery fails one QVERIFY2, with
// that expression and message.
SelfTestCase noCalendarFailsVerify(const QString &name, const QString &scenario, const QString &expression,
                                   const QString &message)
{
    return SelfTestCase(name, scenario)
        .runs(testDelivery, noCalendar)
        .failsVerify(testDelivery, noCalendar, expression, message);
}

} // namespace

QList<SelfTestCase> SelfTestCases::deliveryFlow()
{
    return {
        noCalendarFailsVerify(
            "a delivery flow stops when the add reply has no deliveryId", "add-without-delivery-id.json",
            SuiteTexts::deliveryIdNotNull,
            "Failed to add delivery:\n"
                + json(R"({"id":"<<N>>","params":{"deliveryError":"DeliveryErrorNoError"},"status":"success"})")),

        noCalendarFailsVerify("a scanner history of two lines fails the action count",
                              "scanner-history-extra-line.json", SuiteTexts::oneScannerAction,
                              "Not the expected amount of actions triggered in the scanner:" + acceptAction + '\n'
                                  + acceptAction),

        SelfTestCase("an empty scanner history counts as one action, the null one", "scanner-history-empty.json")
            .runs(testDelivery, noCalendar)
            .failsCompare(testDelivery, noCalendar, scannerActionMismatch(nullAction, acceptAction)),

        SelfTestCase("a refused row that is accepted fails before the gate is asked", "codes-digits-only.json")
            .runs(testDelivery, "bad code")
            .failsCompare(testDelivery, "bad code", scannerActionMismatch(acceptAction, rejectAction))
            .checks(RunChecks::controlPortRequests(
                {http(6656,
                      "/generateevent?eventTypeId=0da90af2-90bc-43a6-bcdc-e50c39dbb8bf&content=1Z84106K3971240516"),
                 http(6656, "/actionhistory")})),

        SelfTestCase("a code registered with spaces and refused fails the scanner action", "codes-exact.json")
            .runs(testDelivery, "granted (code with spaces)")
            .failsCompare(testDelivery, "granted (code with spaces)",
                          scannerActionMismatch(rejectAction, acceptAction)),

        SelfTestCase("a scan accepted before the calendar window fails the scanner action", "calendar-ignored.json")
            .runs(testDelivery, "inactive calendar item")
            .failsCompare(testDelivery, "inactive calendar item", scannerActionMismatch(acceptAction, rejectAction)),

        SelfTestCase("a gate control port that never opens fails the gate history", "gate-port-closed.json")
            .runs(testDelivery, noCalendar)
            .failsCompare(testDelivery, noCalendar, networkErrorMismatch("ConnectionRefusedError"))
            .traced()
            .checks(RunChecks::tracesExchange(
                testDelivery, noCalendar, "http",
                {{"port", "6655"}, {"path", "/actionhistory"}, {"status", "0"}, {"error", "ConnectionRefusedError"}})),

        noCalendarFailsVerify("an open action listed without braces does not count", "gate-history-unbraced.json",
                              SuiteTexts::gateOpenAsExpected, gateMessage("1", "2eb6135e-579f-4b9a-be7b-785d664a3875")),

        SelfTestCase("a refused row whose gate opened fails the gate history", "gate-history-open-always.json")
            .runs(testDelivery, "wrong code")
            .failsVerify(testDelivery, "wrong code", SuiteTexts::gateOpenAsExpected,
                         gateMessage("0", "{2eb6135e-579f-4b9a-be7b-785d664a3875}")),

        noCalendarFailsVerify("a gate that never opens fails after five polls", "gate-never-opens.json",
                              SuiteTexts::isOpen, "Garage did not open")
            .checks(RunChecks::pauseBefore("Integrations.GetStateValue", 5, 950, 2500)),

        noCalendarFailsVerify("an open gate reading \"Open\" is not open", "gate-reads-capital-open.json",
                              SuiteTexts::isOpen, "Garage did not open"),

        noCalendarFailsVerify("a gate that never closes fails after fifteen polls", "gate-never-closes.json",
                              SuiteTexts::isClosed, "Garage did not close")
            .checks(RunChecks::pauseBefore("Integrations.GetStateValue", 16, 950, 2500)),

        SelfTestCase("a notification history answering 500 fails", "notification-port-error.json")
            .runs(testDelivery, noCalendar)
            .failsCompare(testDelivery, noCalendar, networkErrorMismatch("InternalServerError")),

        noCalendarFailsVerify("a notify action in upper case does not count", "notification-history-upper-case.json",
                              SuiteTexts::notifiedAsExpected,
                              notificationMessage("{86ED7935-5C88-4810-A94C-50A39946A04C}\n")),

        noCalendarFailsVerify("a notification device never notified fails", "never-notifies.json",
                              SuiteTexts::notifiedAsExpected, notificationMessage(QString())),

        noCalendarFailsVerify("an empty final listing fails with its own message", "second-listing-empty.json",
                              SuiteTexts::finalListingNotEmpty,
                              "GetDeliveries returned no delivery for {de11ce00-0000-4000-8000-000000000001}:\n"
                                  + emptyListingReply()),

        noCalendarFailsVerify("a final listing of another delivery fails", "final-listing-other-id.json",
                              SuiteTexts::finalDeliveryId, "Not the delivery we're expecting"),

        noCalendarFailsVerify("a delivery not marked delivered fails", "final-listing-not-delivered.json",
                              SuiteTexts::finalDelivered, "Delivery has not been marked as delivered"),

        noCalendarFailsVerify("a delivery time in the second of the scan is not after it",
                              "delivered-at-scan-second.json", SuiteTexts::deliveredAfterScan,
                              "Delivered timestamp seems not valid"),

        SelfTestCase("a granted row adds its delivery, then asks the devices in order", "correct.json")
            .runs(testDelivery, "granted (code with spaces)")
            .checks(RunChecks::controlPortRequests(grantedRowControlRequests("7302918465")))
            .checks(RunChecks::sendsSomewhere(rpc(
                "PlavoDelivery.AddDelivery",
                R"({"delivery":{"calendarItems":[{"datetime":<<N>>,"duration":120}],"gateId":"7e1e0000-0000-4000-8000-000000000001",)"
                R"("name":"Delivery","notificationIds":["7e1e0000-0000-4000-8000-000000000003"],"openDuration":1,)"
                R"("scannerId":"7e1e0000-0000-4000-8000-000000000002","trackingCode":"73 0291 8465"}})")))
            .checks(RunChecks::sendsSomewhere(rpc(
                "Integrations.GetStateValue",
                R"({"stateTypeId":"61ebba3f-02b2-472c-90e4-2ddb292e6ee9","thingId":"7e1e0000-0000-4000-8000-000000000001"})")))
            .checks(RunChecks::sendsSomewhere(
                rpc("PlavoDelivery.GetDeliveries", R"({"deliveryId":"de11ce00-0000-4000-8000-000000000001"})"))),
    };
}

QList<SelfTestCase> SelfTestCases::correctDaemon()
{
    return {
        SelfTestCase("a correct daemon passes every function and row", "correct.json")
            .takesUpTo(240000)
            .traced()
            .checks(RunChecks::tracesExchange(testDelivery, "DPD Prio", "http",
                                              {{"port", "6656"},
                                               {"path", "/generateevent?eventTypeId=0da90af2-90bc-43a6-bcdc-"
                                                        "e50c39dbb8bf&content=0061527052188347622904419083"},
                                               {"status", "200"},
                                               {"finished", "true"}}))
            .checks(RunChecks::tracesExchange(
                testDelivery, "DPD Prio", "http",
                {{"port", "6655"}, {"path", "/actionhistory"}, {"body", "{2eb6135e-579f-4b9a-be7b-785d664a3875}\n"}}))
            .checks(RunChecks::tracesExchange("testDeliveryPersistence", QString(), "daemonKill", {}))
            .checks(RunChecks::tracesExchange("testDeliveryPersistence", QString(), "daemonStart",
                                              {{"program", "korvud"}, {"started", "true"}})),
    };
}
