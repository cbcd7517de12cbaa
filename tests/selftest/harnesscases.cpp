// Cases of the harness core: daemon start and handshake, the JSON-RPC client,
// the thing fixtures.

#include "selftestcases.h"

#include "expectedtext.h"
#include "runchecks.h"
#include "suitetexts.h"

using ExpectedText::json;
using ExpectedText::rpc;

namespace {

const QString initTestCase = QStringLiteral("initTestCase");
const QString testAvailable = QStringLiteral("testAvailable");
const QString testRemoveDelivery = QStringLiteral("testRemoveDelivery");
const QString noGateNoScanner = QStringLiteral("No gate, no scanner");
const QString gateAndScanner = QStringLiteral("gate, scanner");

// The suite waits 5000 ms for a reply on a coarse timer, which may fire up to
// 5 % early; the scripted daemon stamps a request when it reads it, which on a
// loaded machine is a little after the suite started waiting.
const qint64 replyWaitShortestMs = 4700;
const qint64 replyWaitLongestMs = 6500;

const QString availabilityMessage = QStringLiteral(
    "PlavoDelivery.Status is not what it should be.\nExpected: %1\nGot: %2");

// What init sends on a daemon without deliveries and things.
QStringList emptyInit() { return {rpc("PlavoDelivery.GetDeliveries"), rpc("Integrations.GetThings")}; }

} // namespace

QList<SelfTestCase> SelfTestCases::handshake()
{
    return {
        SelfTestCase("a Hello without experiences fails initTestCase and kills the daemon",
                     "hello-without-experiences.json")
            .runs(testAvailable)
            .failsVerify(initTestCase, QString(), SuiteTexts::hasExperiences,
                         "No experience plugins loaded!\n"
                         "{\n"
                         "    \"id\": 7,\n"
                         "    \"params\": {\n"
                         "        \"authenticationRequired\": false,\n"
                         "        \"server\": \"korvud\",\n"
                         "        \"version\": \"0.2\"\n"
                         "    },\n"
                         "    \"status\": \"success\"\n"
                         "}\n")
            .sends({rpc("JSONRPC.Hello")})
            .checks(RunChecks::daemonKilledInCleanup()),

        SelfTestCase("an experience entry with a third member is not the delivery experience",
                     "hello-experience-with-third-member.json")
            .runs(testAvailable)
            .failsVerify(initTestCase, QString(), SuiteTexts::hasDeliveryExperience,
                         "PlavoDelivery 0.2 experience plugins not loaded!\n"
                             + json(R"({"id":"<<N>>","params":{"authenticationRequired":false,
                                        "experiences":[{"build":"1","name":"PlavoDelivery","version":"0.2"}],
                                        "server":"korvud","version":"0.2"},"status":"success"})"))
            .sends({rpc("JSONRPC.Hello")}),

        SelfTestCase("another experience version is not the delivery experience", "hello-other-version.json")
            .runs(testAvailable)
            .failsVerify(initTestCase, QString(), SuiteTexts::hasDeliveryExperience,
                         "PlavoDelivery 0.2 experience plugins not loaded!\n"
                             + json(R"({"id":"<<N>>","params":{"authenticationRequired":false,
                                        "experiences":[{"name":"PlavoDelivery","version":"0.3"}],
                                        "server":"korvud","version":"0.2"},"status":"success"})"))
            .sends({rpc("JSONRPC.Hello")}),

        SelfTestCase("required authentication fails initTestCase, runs no function and kills the daemon",
                     "hello-requires-authentication.json")
            .runs(testAvailable)
            .failsVerify(initTestCase, QString(), SuiteTexts::noAuthentication,
                         "Korvu is configured to require authentication on port 2222. "
                         "This test requires an unauthenticated connection.")
            .sends({rpc("JSONRPC.Hello")})
            .checks(RunChecks::daemonKilledInCleanup()),

        SelfTestCase("a port that opens 2.5 s late is connected after three or four refusals", "port-opens-late.json")
            .runs(testAvailable, noGateNoScanner)
            .checks(RunChecks::failedAttemptsBeforeConnecting(3, 4))
            .traced()
            .checks(RunChecks::tracesExchange(initTestCase, QString(), "connect",
                                              {{"connected", "false"}, {"error", "ConnectionRefusedError"}})),

        SelfTestCase("a port that never opens fails initTestCase after 60 s", "port-never-opens.json")
            .runs(testAvailable)
            .failsVerify(initTestCase, QString(), SuiteTexts::connectionBound,
                         "korvud never accepted a connection on 127.0.0.1:2222 within 60 s")
            .sends({})
            .checks(RunChecks::neverConnected(55, 60000))
            .checks(RunChecks::daemonKilledInCleanup())
            .takesUpTo(150000),
    };
}

QList<SelfTestCase> SelfTestCases::client()
{
    const QString thing1 = QStringLiteral("7e1e0000-0000-4000-8000-000000000001");
    const QString thing2 = QStringLiteral("7e1e0000-0000-4000-8000-000000000002");
    const QString delivery1 = QStringLiteral("de11ce00-0000-4000-8000-000000000001");
    return {
        SelfTestCase("requests are compact, ordered id, method, params, without a line feed", "correct.json")
                .runs(testRemoveDelivery)
                .sends(QStringList{ rpc("JSONRPC.Hello") } + emptyInit() + QStringList{
                           rpc("Integrations.AddThing", R"({"name":"Gate","thingClassId":"e09c4d49-e631-4267-9a3e-ff3a46a454bc"})"),
                           rpc("Integrations.AddThing", R"({"name":"Scanner","thingClassId":"b16048e7-9c24-4ec1-a7bf-7fd20ee4c813"})"),
                           rpc("PlavoDelivery.AddDelivery", QStringLiteral(R"({"delivery":{"gateId":"%1","name":"Del","scannerId":"%2","trackingCode":"5807"}})")
                               .arg(thing1, thing2)),
                           rpc("PlavoDelivery.GetDeliveries"),
                           rpc("PlavoDelivery.RemoveDelivery", QStringLiteral(R"({"deliveryId":"%1"})").arg(delivery1)),
                           rpc("PlavoDelivery.GetDeliveries"),
                           rpc("PlavoDelivery.GetDeliveries"),
                           rpc("Integrations.GetThings"),
                           rpc("Integrations.RemoveThing", QStringLiteral(R"({"thingId":"%1"})").arg(thing1)),
                           rpc("Integrations.RemoveThing", QStringLiteral(R"({"thingId":"%1"})").arg(thing2)),
                       }),

        SelfTestCase("a request never answered gives an empty reply after 5000 ms", "status-never-answered.json")
                .runs(testAvailable)
                .failsVerify(testAvailable, gateAndScanner, SuiteTexts::availableAsExpected, availabilityMessage.arg("1", ""))
                .checks(RunChecks::pauseAfter("PlavoDelivery.Status", 1, replyWaitShortestMs, replyWaitLongestMs))
                .checks(RunChecks::pauseAfter("PlavoDelivery.Status", 3, replyWaitShortestMs, replyWaitLongestMs)),

        SelfTestCase("a late reply is taken by the next call, whose wait ends when it arrives", "late-reply-taken-by-next-call.json")
                .runs(testRemoveDelivery)
                .failsVerify(testRemoveDelivery, QString(), SuiteTexts::deliveryIdNotNull,
                             "Error adding delivery:\n"
                             + json(QStringLiteral(R"({"id":"<<N>>","params":{"thingError":"ThingErrorNoError","thingId":"%1"},"status":"success"})")
                                    .arg(thing2)))
                .checks(RunChecks::pauseBefore("PlavoDelivery.AddDelivery", 1, replyWaitShortestMs, replyWaitLongestMs))
                .checks(RunChecks::pauseAfter("PlavoDelivery.AddDelivery", 1, 200, 2500)),

        SelfTestCase("a late reply read together with the next reply gives an empty reply", "late-reply-with-next-reply.json")
                .runs(testAvailable, gateAndScanner)
                .failsVerify(testAvailable, gateAndScanner, SuiteTexts::availableAsExpected, availabilityMessage.arg("1", ""))
                .checks(RunChecks::pauseBefore("PlavoDelivery.Status", 1, replyWaitShortestMs, replyWaitLongestMs))
                .traced()
                .checks(RunChecks::tracesExchange(testAvailable, gateAndScanner, "rpc", {
                    {"request", R"({"id":<<N>>,"method":"PlavoDelivery.Status","params":{}})"},
                    {"reply", QStringLiteral(R"({"id":<<N>>,"params":{"thingError":"ThingErrorNoError","thingId":"%1"},"status":"success"})"
                                             R"({"id":<<N>>,"params":{"available":true},"status":"success"})").arg(thing2)}})),

        SelfTestCase("a notification ahead of the reply gives an empty reply", "notification-before-reply.json")
                .runs(testAvailable)
                .failsVerify(testAvailable, gateAndScanner, SuiteTexts::availableAsExpected, availabilityMessage.arg("1", "")),

        SelfTestCase("white space after a reply is accepted", "white-space-after-reply.json")
                .runs(testAvailable)
                .runs(testRemoveDelivery),
    };
}

QList<SelfTestCase> SelfTestCases::fixtures()
{
    return {
        SelfTestCase("init on an empty daemon lists deliveries, then things, and nothing else", "correct.json")
            .runs(testAvailable, noGateNoScanner)
            .sends(QStringList{rpc("JSONRPC.Hello")} + emptyInit() + QStringList{rpc("PlavoDelivery.Status")}
                   + emptyInit()),

        SelfTestCase("three deliveries are removed in list order with their ids as listed",
                     "three-stored-deliveries.json")
            .runs(testAvailable, noGateNoScanner)
            .sends(
                QStringList{
                    rpc("JSONRPC.Hello"), rpc("PlavoDelivery.GetDeliveries"),
                    rpc("PlavoDelivery.RemoveDelivery", R"({"deliveryId":"de11ce00-0000-4000-8000-0000000000c3"})"),
                    rpc("PlavoDelivery.RemoveDelivery", R"({"deliveryId":"{DE11CE00-0000-4000-8000-0000000000A1}"})"),
                    rpc("PlavoDelivery.RemoveDelivery", R"({"deliveryId":"de11ce00-0000-4000-8000-0000000000b2"})"),
                    rpc("Integrations.GetThings"), rpc("PlavoDelivery.Status")}
                + emptyInit()),

        SelfTestCase("mock things listed with braced class ids are removed", "braced-class-ids.json")
            .runs(testAvailable, noGateNoScanner)
            .sends(
                QStringList{rpc("JSONRPC.Hello"), rpc("PlavoDelivery.GetDeliveries"), rpc("Integrations.GetThings"),
                            rpc("Integrations.RemoveThing", R"({"thingId":"7e1e0000-0000-4000-8000-0000000000a1"})"),
                            rpc("Integrations.RemoveThing", R"({"thingId":"{7E1E0000-0000-4000-8000-0000000000A2}"})"),
                            rpc("Integrations.RemoveThing", R"({"thingId":"7e1e0000-0000-4000-8000-0000000000a3"})"),
                            rpc("PlavoDelivery.Status")}
                + emptyInit()),

        SelfTestCase("a thing of another class named Gate is left alone", "foreign-gate.json")
            .runs(testAvailable, noGateNoScanner)
            .sends(QStringList{rpc("JSONRPC.Hello")} + emptyInit() + QStringList{rpc("PlavoDelivery.Status")}
                   + emptyInit()),
    };
}

QList<SelfTestCase> SelfTestCases::all()
{
    return handshake() + client() + fixtures() + availability() + addDelivery() + getDeliveries() + removeDelivery()
           + persistence() + deliveryFlow() + correctDaemon();
}
