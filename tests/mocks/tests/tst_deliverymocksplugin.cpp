#include "deliverymockslogging.h"
#include "deliverymocksplugin.h"
#include "httptestclient.h"
#include "logtext.h"
#include "thing.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <memory>

namespace {

// The ids other components rely on, written out rather than taken from the
// plug-in's own constants so that a changed id shows up here.
const QUuid gateClassId("e09c4d49-e631-4267-9a3e-ff3a46a454bc");
const QUuid scannerClassId("b16048e7-9c24-4ec1-a7bf-7fd20ee4c813");
const QUuid notificationClassId("47ced9b1-b7fd-44de-a4d7-8b27e47b8579");
const QUuid gateStateTypeId("61ebba3f-02b2-472c-90e4-2ddb292e6ee9");
const QUuid gateOpenId("2eb6135e-579f-4b9a-be7b-785d664a3875");
const QUuid codeScannedId("0da90af2-90bc-43a6-bcdc-e50c39dbb8bf");
const QUuid acceptId("7e3e6b01-99a1-4346-826f-12ebff61c83d");
const QUuid rejectId("03b1abeb-4589-44f9-849b-03a1465ef015");
const QUuid notifyId("86ed7935-5c88-4810-a94c-50a39946a04c");

// Collects every message logged while it lives, instead of printing it.
class LogCapture
{
public:
    struct Message
    {
        QtMsgType type;
        QString text;
    };

    LogCapture()
        : m_previousHandler(qInstallMessageHandler(&LogCapture::handle))
    {
        QLoggingCategory::setFilterRules(
            QStringLiteral("%1.debug=true").arg(QLatin1String(dcDeliveryMocks().categoryName())));
    }
    ~LogCapture()
    {
        QLoggingCategory::setFilterRules(QString());
        qInstallMessageHandler(m_previousHandler);
        s_messages.clear();
    }

    QList<Message> messages() const { return s_messages; }

private:
    static void handle(QtMsgType type, const QMessageLogContext &, const QString &text)
    {
        s_messages.append(Message{type, text});
    }

    static QList<Message> s_messages;
    QtMessageHandler m_previousHandler;
};

QList<LogCapture::Message> LogCapture::s_messages;

struct HttpResult
{
    QNetworkReply::NetworkError error = QNetworkReply::TimeoutError;
    int statusCode = 0;
    QByteArray contentType;
    QByteArray allow;
    QByteArray body;
};

} // namespace

class TestDeliveryMocksPlugin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void testTypeIds_data();
    void testTypeIds();
    void testNewThingHasEmptyHistory_data();
    void testNewThingHasEmptyHistory();
    void testActionHistory_data();
    void testActionHistory();
    void testGateState();
    void testGenerateEvent_data();
    void testGenerateEvent();
    void testGenerateEventRepliesAfterTheEvent();
    void testGenerateEventRejected_data();
    void testGenerateEventRejected();
    void testUnroutedRequests_data();
    void testUnroutedRequests();
    void testMalformedRequest();
    void testSecondThingRefused_data();
    void testSecondThingRefused();
    void testRemovalFreesPort_data();
    void testRemovalFreesPort();
    void testRemovalWhileHandlingEvent();
    void testUnknownClassRefused();
    void testClientTextShortenedInLog_data();
    void testClientTextShortenedInLog();

private:
    // Named after its class unless a name is given.
    Thing *addThing(const QUuid &thingClassId, const QString &name = QString());
    void removeThing(Thing *thing);
    Korvu::ThingError execute(Thing *thing, const QUuid &actionTypeId);
    HttpResult request(quint16 port, const QByteArray &target, const QByteArray &method = "GET");
    static QByteArray historyOf(const QList<QUuid> &actionTypeIds);

    std::unique_ptr<DeliveryMocksPlugin> m_plugin;
    std::unique_ptr<QNetworkAccessManager> m_manager;
    QList<Thing *> m_things;
};

void TestDeliveryMocksPlugin::init()
{
    m_plugin = std::make_unique<DeliveryMocksPlugin>();
    m_manager = std::make_unique<QNetworkAccessManager>();
    m_manager->setProxy(QNetworkProxy::NoProxy);
}

void TestDeliveryMocksPlugin::cleanup()
{
    m_manager.reset();
    for (Thing *thing : qAsConst(m_things))
        m_plugin->thingRemoved(thing);
    qDeleteAll(m_things);
    m_things.clear();
    m_plugin.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

Thing *TestDeliveryMocksPlugin::addThing(const QUuid &thingClassId, const QString &name)
{
    const QList<ThingClass> classes = m_plugin->thingClasses();
    for (const ThingClass &thingClass : classes) {
        if (thingClass.id() == thingClassId) {
            auto thing = new Thing(QUuid::createUuid(), thingClass, name.isEmpty() ? thingClass.name() : name);
            m_things.append(thing);
            return thing;
        }
    }
    return nullptr;
}

void TestDeliveryMocksPlugin::removeThing(Thing *thing)
{
    m_plugin->thingRemoved(thing);
    m_things.removeOne(thing);
    delete thing;
}

Korvu::ThingError TestDeliveryMocksPlugin::execute(Thing *thing, const QUuid &actionTypeId)
{
    return m_plugin->executeAction(thing, Action{thing->id(), actionTypeId, {}});
}

HttpResult TestDeliveryMocksPlugin::request(quint16 port, const QByteArray &target, const QByteArray &method)
{
    const QUrl url(QStringLiteral("http://127.0.0.1:%1").arg(port) + QString::fromLatin1(target));
    std::unique_ptr<QNetworkReply> reply(m_manager->sendCustomRequest(QNetworkRequest(url), method));
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    HttpResult result;
    if (!finished.wait(5000))
        return result;
    result.error = reply->error();
    result.statusCode = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.contentType = reply->rawHeader("Content-Type");
    result.allow = reply->rawHeader("Allow");
    result.body = reply->readAll();
    return result;
}

QByteArray TestDeliveryMocksPlugin::historyOf(const QList<QUuid> &actionTypeIds)
{
    QByteArray history;
    for (const QUuid &id : actionTypeIds)
        history += id.toByteArray() + '\n';
    return history;
}

void TestDeliveryMocksPlugin::testTypeIds_data()
{
    QTest::addColumn<QUuid>("thingClassId");
    QTest::addColumn<QString>("interfaceName");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("typeName");
    QTest::addColumn<QUuid>("typeId");

    QTest::newRow("gate state") << gateClassId << "garagegate"
                                << "state"
                                << "state" << gateStateTypeId;
    QTest::newRow("gate open") << gateClassId << "garagegate"
                               << "action"
                               << "open" << gateOpenId;
    QTest::newRow("gate close") << gateClassId << "garagegate"
                                << "action"
                                << "close" << QUuid();
    QTest::newRow("scanner event") << scannerClassId << "parcelscanner"
                                   << "event"
                                   << "codeScanned" << codeScannedId;
    QTest::newRow("scanner accept") << scannerClassId << "parcelscanner"
                                    << "action"
                                    << "accept" << acceptId;
    QTest::newRow("scanner reject") << scannerClassId << "parcelscanner"
                                    << "action"
                                    << "reject" << rejectId;
    QTest::newRow("notify") << notificationClassId << "notifications"
                            << "action"
                            << "notify" << notifyId;
}

void TestDeliveryMocksPlugin::testTypeIds()
{
    QFETCH(QUuid, thingClassId);
    QFETCH(QString, interfaceName);
    QFETCH(QString, kind);
    QFETCH(QString, typeName);
    QFETCH(QUuid, typeId);

    Thing *thing = addThing(thingClassId);
    QVERIFY(thing);
    const ThingClass thingClass = thing->thingClass();
    QCOMPARE(thingClass.interfaces(), QStringList{interfaceName});
    const QUuid found = kind == "state"   ? thingClass.stateTypeId(typeName)
                        : kind == "event" ? thingClass.eventTypeId(typeName)
                                          : thingClass.actionTypeId(typeName);
    QVERIFY(!found.isNull());
    if (!typeId.isNull())
        QCOMPARE(found, typeId);
}

void TestDeliveryMocksPlugin::testNewThingHasEmptyHistory_data()
{
    QTest::addColumn<QUuid>("thingClassId");
    QTest::addColumn<int>("port");
    QTest::newRow("gate") << gateClassId << 6655;
    QTest::newRow("scanner") << scannerClassId << 6656;
    QTest::newRow("notifications") << notificationClassId << 6657;
}

void TestDeliveryMocksPlugin::testNewThingHasEmptyHistory()
{
    QFETCH(QUuid, thingClassId);
    QFETCH(int, port);

    QCOMPARE(m_plugin->setupThing(addThing(thingClassId)), Korvu::ThingErrorNoError);
    const HttpResult result = request(quint16(port), "/actionhistory");
    QCOMPARE(result.error, QNetworkReply::NoError);
    QCOMPARE(result.statusCode, 200);
    QVERIFY(result.contentType.startsWith("text/plain"));
    QCOMPARE(result.body, QByteArray());
}

void TestDeliveryMocksPlugin::testActionHistory_data()
{
    QTest::addColumn<QUuid>("thingClassId");
    QTest::addColumn<int>("port");
    QTest::addColumn<QList<QUuid>>("actions");
    QTest::addColumn<QByteArray>("expectedHistory");

    QTest::newRow("gate") << gateClassId << 6655 << QList<QUuid>{gateOpenId, acceptId, gateOpenId}
                          << QByteArray(
                                 "{2eb6135e-579f-4b9a-be7b-785d664a3875}\n{2eb6135e-579f-4b9a-be7b-785d664a3875}\n");
    QTest::newRow("scanner") << scannerClassId << 6656 << QList<QUuid>{rejectId, notifyId, acceptId}
                             << QByteArray(
                                    "{03b1abeb-4589-44f9-849b-03a1465ef015}\n{7e3e6b01-99a1-4346-826f-12ebff61c83d}\n");
    QTest::newRow("notifications")
        << notificationClassId << 6657 << QList<QUuid>{notifyId, gateOpenId, notifyId}
        << QByteArray("{86ed7935-5c88-4810-a94c-50a39946a04c}\n{86ed7935-5c88-4810-a94c-50a39946a04c}\n");
}

void TestDeliveryMocksPlugin::testActionHistory()
{
    QFETCH(QUuid, thingClassId);
    QFETCH(int, port);
    QFETCH(QList<QUuid>, actions);
    QFETCH(QByteArray, expectedHistory);

    Thing *thing = addThing(thingClassId);
    QCOMPARE(m_plugin->setupThing(thing), Korvu::ThingErrorNoError);
    for (const QUuid &actionTypeId : qAsConst(actions)) {
        const Korvu::ThingError expected = thing->thingClass().hasActionType(actionTypeId)
                                               ? Korvu::ThingErrorNoError
                                               : Korvu::ThingErrorActionTypeNotFound;
        QCOMPARE(execute(thing, actionTypeId), expected);
    }
    QCOMPARE(request(quint16(port), "/actionhistory").body, expectedHistory);
}

void TestDeliveryMocksPlugin::testGateState()
{
    Thing *gate = addThing(gateClassId);
    QCOMPARE(m_plugin->setupThing(gate), Korvu::ThingErrorNoError);
    QCOMPARE(gate->stateValue(gateStateTypeId).toString(), QStringLiteral("closed"));
    QCOMPARE(execute(gate, gateOpenId), Korvu::ThingErrorNoError);
    QCOMPARE(gate->stateValue(gateStateTypeId).toString(), QStringLiteral("open"));
    QCOMPARE(execute(gate, gate->thingClass().actionTypeId(QStringLiteral("close"))), Korvu::ThingErrorNoError);
    QCOMPARE(gate->stateValue(gateStateTypeId).toString(), QStringLiteral("closed"));
}

void TestDeliveryMocksPlugin::testGenerateEvent_data()
{
    QTest::addColumn<QByteArray>("encodedContent");
    QTest::addColumn<QString>("content");

    QTest::newRow("plain") << QByteArray("1Z999AA10123456784") << QStringLiteral("1Z999AA10123456784");
    QTest::newRow("percent-encoded") << QByteArray("a%20b%2Fc%26d%3De%3F") << QStringLiteral("a b/c&d=e?");
    QTest::newRow("utf-8") << QByteArray("%C3%BC%E2%82%AC") << QStringLiteral("\u00fc\u20ac");
    QTest::newRow("plus kept") << QByteArray("A+B") << QStringLiteral("A+B");
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestDeliveryMocksPlugin::testGenerateEvent()
{
    QFETCH(QByteArray, encodedContent);
    QFETCH(QString, content);

    Thing *scanner = addThing(scannerClassId);
    QCOMPARE(m_plugin->setupThing(scanner), Korvu::ThingErrorNoError);
    QList<Event> events;
    // Reacts the way the daemon does, so the reaction must be in the history
    // that is read right after the reply.
    connect(scanner, &Thing::eventTriggered, this, [&](const Event &event) {
        events.append(event);
        execute(scanner, acceptId);
    });

    const HttpResult result = request(6656,
                                      "/generateevent?eventTypeId=" + codeScannedId.toByteArray(QUuid::WithoutBraces)
                                          + "&content=" + encodedContent);
    QCOMPARE(result.statusCode, 200);
    QCOMPARE(events.count(), 1);
    QCOMPARE(events.first().thingId, scanner->id());
    QCOMPARE(events.first().eventTypeId, codeScannedId);
    QCOMPARE(events.first().params, (QVariantMap{{QStringLiteral("content"), content}}));
    QCOMPARE(request(6656, "/actionhistory").body, historyOf({acceptId}));
}

// Clients read the action histories right after the reply to /generateevent,
// so the reply must not go out before the event was handled: the daemon
// reacts while the event is emitted. A device that answers first and emits
// the event later would let the histories be read before the reaction.
void TestDeliveryMocksPlugin::testGenerateEventRepliesAfterTheEvent()
{
    Thing *scanner = addThing(scannerClassId);
    QCOMPARE(m_plugin->setupThing(scanner), Korvu::ThingErrorNoError);
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, 6656);
    QVERIFY(QTest::qWaitFor([&] { return client.state() == QAbstractSocket::ConnectedState; }, 2000));

    int emitted = 0;
    QByteArray receivedWhileHandling;
    connect(scanner, &Thing::eventTriggered, this, [&] {
        ++emitted;
        // The event loop keeps running here, so a reply already written
        // would reach the client meanwhile.
        if (QTest::qWaitFor([&] { return client.bytesAvailable() > 0; }, 200))
            receivedWhileHandling = client.readAll();
    });
    client.write("GET /generateevent?eventTypeId=" + codeScannedId.toByteArray(QUuid::WithoutBraces)
                 + "&content=x HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");

    QVERIFY(QTest::qWaitFor(
        [&] { return emitted > 0 && (client.bytesAvailable() > 0 || !receivedWhileHandling.isEmpty()); }, 5000));
    QCOMPARE(emitted, 1);
    QCOMPARE(receivedWhileHandling, QByteArray());
    QVERIFY(client.readAll().startsWith("HTTP/1.1 200 "));
}

void TestDeliveryMocksPlugin::testGenerateEventRejected_data()
{
    QTest::addColumn<QByteArray>("query");
    const QByteArray eventTypeId = codeScannedId.toByteArray(QUuid::WithoutBraces);

    QTest::newRow("unknown event type") << "eventTypeId=" + QUuid::createUuid().toByteArray() + "&content=x";
    QTest::newRow("unparsable event type") << QByteArray("eventTypeId=scan&content=x");
    QTest::newRow("missing event type") << QByteArray("content=x");
    QTest::newRow("missing content") << "eventTypeId=" + eventTypeId;
    QTest::newRow("no query") << QByteArray();
}

void TestDeliveryMocksPlugin::testGenerateEventRejected()
{
    QFETCH(QByteArray, query);

    Thing *scanner = addThing(scannerClassId);
    QCOMPARE(m_plugin->setupThing(scanner), Korvu::ThingErrorNoError);
    QSignalSpy events(scanner, &Thing::eventTriggered);
    const HttpResult result = request(6656, "/generateevent?" + query);
    QCOMPARE(result.statusCode, 400);
    QVERIFY(events.isEmpty());
}

void TestDeliveryMocksPlugin::testUnroutedRequests_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("statusCode");

    QTest::newRow("unknown path") << 6656 << QByteArray("GET") << QByteArray("/history") << 404;
    QTest::newRow("event on the gate") << 6655 << QByteArray("GET") << QByteArray("/generateevent?content=x") << 404;
    QTest::newRow("post history") << 6655 << QByteArray("POST") << QByteArray("/actionhistory") << 405;
    QTest::newRow("delete history") << 6657 << QByteArray("DELETE") << QByteArray("/actionhistory") << 405;
    QTest::newRow("put event") << 6656 << QByteArray("PUT") << QByteArray("/generateevent") << 405;
}

void TestDeliveryMocksPlugin::testUnroutedRequests()
{
    QFETCH(int, port);
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, target);
    QFETCH(int, statusCode);

    for (const QUuid &thingClassId : {gateClassId, scannerClassId, notificationClassId})
        QCOMPARE(m_plugin->setupThing(addThing(thingClassId)), Korvu::ThingErrorNoError);
    const HttpResult result = request(quint16(port), target, method);
    QCOMPARE(result.statusCode, statusCode);
    QVERIFY(result.contentType.startsWith("text/plain"));
    if (statusCode == 405)
        QCOMPARE(result.allow, QByteArray("GET"));
}

void TestDeliveryMocksPlugin::testMalformedRequest()
{
    Thing *gate = addThing(gateClassId);
    QCOMPARE(m_plugin->setupThing(gate), Korvu::ThingErrorNoError);
    HttpTestClient client;
    QVERIFY(client.connectTo(6655));
    client.send("GET /actionhistory HTTP/1.1\r\nHost localhost\r\n\r\n");
    const QList<HttpTestClient::Response> responses = client.readResponses(1);
    QCOMPARE(responses.count(), 1);
    QCOMPARE(responses.first().statusCode, 400);
    QVERIFY(client.waitForDisconnected());

    QCOMPARE(execute(gate, gateOpenId), Korvu::ThingErrorNoError);
    QCOMPARE(request(6655, "/actionhistory").body, historyOf({gateOpenId}));
}

void TestDeliveryMocksPlugin::testSecondThingRefused_data() { testNewThingHasEmptyHistory_data(); }

void TestDeliveryMocksPlugin::testSecondThingRefused()
{
    QFETCH(QUuid, thingClassId);
    QFETCH(int, port);

    Thing *first = addThing(thingClassId);
    QCOMPARE(m_plugin->setupThing(first), Korvu::ThingErrorNoError);
    const QUuid actionTypeId = first->thingClass().actionTypes().first().id;
    QCOMPARE(execute(first, actionTypeId), Korvu::ThingErrorNoError);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("port %1 is not available").arg(port)));
    Thing *second = addThing(thingClassId);
    QCOMPARE(m_plugin->setupThing(second), Korvu::ThingErrorHardwareNotAvailable);
    QCOMPARE(execute(second, actionTypeId), Korvu::ThingErrorHardwareNotAvailable);
    removeThing(second);

    QCOMPARE(request(quint16(port), "/actionhistory").body, historyOf({actionTypeId}));
}

void TestDeliveryMocksPlugin::testRemovalFreesPort_data() { testNewThingHasEmptyHistory_data(); }

void TestDeliveryMocksPlugin::testRemovalFreesPort()
{
    QFETCH(QUuid, thingClassId);
    QFETCH(int, port);

    Thing *thing = addThing(thingClassId);
    QCOMPARE(m_plugin->setupThing(thing), Korvu::ThingErrorNoError);
    HttpTestClient openClient;
    QVERIFY(openClient.connectTo(quint16(port)));
    openClient.send("GET /actionhistory HTTP/1.1\r\n\r\n");
    QCOMPARE(openClient.readResponses(1).count(), 1);

    removeThing(thing);
    HttpTestClient lateClient;
    QVERIFY(!lateClient.connectTo(quint16(port)));
    QCOMPARE(lateClient.error(), QAbstractSocket::ConnectionRefusedError);
    QVERIFY(openClient.waitForDisconnected());

    QCOMPARE(m_plugin->setupThing(addThing(thingClassId)), Korvu::ThingErrorNoError);
    QCOMPARE(request(quint16(port), "/actionhistory").body, QByteArray());
}

void TestDeliveryMocksPlugin::testRemovalWhileHandlingEvent()
{
    Thing *scanner = addThing(scannerClassId);
    QCOMPARE(m_plugin->setupThing(scanner), Korvu::ThingErrorNoError);
    connect(scanner, &Thing::eventTriggered, this, [&] { removeThing(scanner); });

    const HttpResult result = request(6656, "/generateevent?content=x&eventTypeId=" + codeScannedId.toByteArray());
    QVERIFY(result.error != QNetworkReply::NoError);
    QCOMPARE(m_plugin->setupThing(addThing(scannerClassId)), Korvu::ThingErrorNoError);
}

void TestDeliveryMocksPlugin::testUnknownClassRefused()
{
    Thing stranger(QUuid::createUuid(), ThingClass(QUuid::createUuid(), QStringLiteral("Stranger")),
                   QStringLiteral("Stranger"));
    QCOMPARE(m_plugin->setupThing(&stranger), Korvu::ThingErrorThingClassNotFound);
}

// Thing names, request targets and parameters come from clients: however long
// or oddly formed, each reaches the log as one line of sane length.
void TestDeliveryMocksPlugin::testClientTextShortenedInLog_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QString>("actionParam");

    const QByteArray scan = "/generateevent?eventTypeId=" + codeScannedId.toByteArray(QUuid::WithoutBraces)
                            + "&content=";
    const QByteArray history = "/actionhistory";
    QTest::newRow("300 KB name") << "Scanner " + QString(300 * 1024, QLatin1Char('n')) << history << QString();
    QTest::newRow("line breaks in the name")
        << QStringLiteral("Scanner\nDeliveryMocks: forged line\r\n") << history << QString();
    QTest::newRow("direction override in the name") << QStringLiteral("Scanner \u202egnp.exe") << history << QString();
    QTest::newRow("long scanned code") << QStringLiteral("Scanner") << scan + QByteArray(7000, 'c') << QString();
    QTest::newRow("encoded line breaks in the code")
        << QStringLiteral("Scanner") << scan + "a%0AWarning:%20forged%0D%0A" << QString();
    QTest::newRow("long unknown path") << QStringLiteral("Scanner") << "/" + QByteArray(7000, 'p') << QString();
    QTest::newRow("long action parameter")
        << QStringLiteral("Scanner") << history << QString(100 * 1024, QLatin1Char('a'));
}

void TestDeliveryMocksPlugin::testClientTextShortenedInLog()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, target);
    QFETCH(QString, actionParam);

    QList<LogCapture::Message> messages;
    {
        LogCapture capture;
        Thing *scanner = addThing(scannerClassId, name);
        QCOMPARE(m_plugin->setupThing(scanner), Korvu::ThingErrorNoError);
        Thing *second = addThing(scannerClassId, name);
        QCOMPARE(m_plugin->setupThing(second), Korvu::ThingErrorHardwareNotAvailable);
        QVERIFY(request(6656, target).error != QNetworkReply::TimeoutError);
        QCOMPARE(
            m_plugin->executeAction(scanner, Action{scanner->id(), acceptId, {{QStringLiteral("note"), actionParam}}}),
            Korvu::ThingErrorNoError);
        removeThing(scanner);
        messages = capture.messages();
    }

    bool warned = false;
    for (const LogCapture::Message &message : qAsConst(messages)) {
        // The fixed text of a line and a few shortened pieces.
        QVERIFY2(message.text.size() <= 5 * LogText::maxLength, qPrintable(message.text.left(200)));
        QVERIFY2(!message.text.contains(QLatin1Char('\n')) && !message.text.contains(QLatin1Char('\r'))
                     && !message.text.contains(QChar(0x202e)),
                 qPrintable(message.text.left(200)));
        if (message.type == QtWarningMsg && message.text.contains(QLatin1String("is not available"))) {
            warned = true;
            QVERIFY2(message.text.startsWith(QLatin1String("Cannot set up Scanner")),
                     qPrintable(message.text.left(200)));
        }
    }
    QVERIFY(warned);
}

QTEST_GUILESS_MAIN(TestDeliveryMocksPlugin)
#include "tst_deliverymocksplugin.moc"
