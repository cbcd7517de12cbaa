#include "korvudprocess.h"
#include "rpcconnection.h"
#include "testthings/testthingids.h"
#include "uuidtext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

using Environment = QMap<QString, QString>;
using Korvu::idText;

namespace {

const QString PlavoDeliveryDir = QStringLiteral(PLAVODELIVERY_DIR);
const QString TestThingsDir = QStringLiteral(TESTTHINGS_DIR);
const QString TestThingsRivalDir = QStringLiteral(TESTTHINGSRIVAL_DIR);
const QString TestExperienceDir = QStringLiteral(TESTEXPERIENCE_DIR);

QJsonObject paramsOf(const QJsonObject &reply) { return reply.value(QStringLiteral("params")).toObject(); }

QString thingErrorOf(const QJsonObject &reply)
{
    return paramsOf(reply).value(QStringLiteral("thingError")).toString();
}

QString describe(const QJsonObject &reply)
{
    return QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact));
}

QJsonValue jsonValue(const QByteArray &text) { return QJsonDocument::fromJson("[" + text + "]").array().at(0); }

// A JSONRPC.Hello request of exactly size bytes.
QByteArray helloOfSize(int size)
{
    const QByteArray head = R"({"id":1,"method":"JSONRPC.Hello","params":{"p":")";
    const QByteArray tail = R"("}})";
    return head + QByteArray(size - head.size() - tail.size(), 'x') + tail;
}

} // namespace

class TestKorvud : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void testHello_data();
    void testHello();
    void testSecondDaemonCannotListen();
    void testRequestErrors_data();
    void testRequestErrors();
    void testIdIsEchoed_data();
    void testIdIsEchoed();
    void testFramingErrorClosesOnlyThatConnection_data();
    void testFramingErrorClosesOnlyThatConnection();
    void testMessageAtTheSizeLimitIsServed();
    void testBackToBackRequests();
    void testThingLifecycle();
    void testAddThingResults_data();
    void testAddThingResults();
    void testFirstPluginKeepsAThingClass_data();
    void testFirstPluginKeepsAThingClass();
    void testThingErrors_data();
    void testThingErrors();
    void testThingsSurviveKill();
    void testThingWhoseSetupFailsStaysStored();
    void testExperienceSeesThingChanges();
    void testSigtermShutsDownInOrder();
    void testDiesWithItsParent();
    void testStartupTime();

private:
    KorvudProcess *startDaemon(const QString &pluginsPath, const QString &experiencePath,
                               const Environment &environment = Environment());
    bool restartDaemon();
    QUuid addLamp(RpcConnection &connection, const QString &name);
    QStringList listedThings(RpcConnection &connection);

    std::unique_ptr<QTemporaryDir> m_dataDir;
    std::unique_ptr<KorvudProcess> m_daemon;
    QString m_pluginsPath;
    QString m_experiencePath;
    Environment m_environment;
};

void TestKorvud::init()
{
    m_dataDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dataDir->isValid());
}

void TestKorvud::cleanup()
{
    m_daemon.reset();
    m_dataDir.reset();
}

KorvudProcess *TestKorvud::startDaemon(const QString &pluginsPath, const QString &experiencePath,
                                       const Environment &environment)
{
    m_pluginsPath = pluginsPath;
    m_experiencePath = experiencePath;
    m_environment = environment;
    return restartDaemon() ? m_daemon.get() : nullptr;
}

bool TestKorvud::restartDaemon()
{
    m_daemon.reset();
    m_daemon = std::make_unique<KorvudProcess>(m_dataDir->path());
    if (!m_pluginsPath.isEmpty())
        m_daemon->setEnvironmentValue(QStringLiteral("KORVU_PLUGINS_PATH"), m_pluginsPath);
    if (!m_experiencePath.isEmpty())
        m_daemon->setEnvironmentValue(QStringLiteral("KORVU_EXPERIENCE_PLUGINS_PATH"), m_experiencePath);
    for (auto it = m_environment.cbegin(); it != m_environment.cend(); ++it)
        m_daemon->setEnvironmentValue(it.key(), it.value());
    if (m_daemon->start())
        return true;
    qWarning() << "korvud did not start listening:" << m_daemon->readStandardError();
    return false;
}

QUuid TestKorvud::addLamp(RpcConnection &connection, const QString &name)
{
    const QJsonObject reply = connection.call(QStringLiteral("Integrations.AddThing"),
                                              {{"thingClassId", idText(TestThingIds::lampClass)}, {"name", name}});
    return QUuid(paramsOf(reply).value(QStringLiteral("thingId")).toString());
}

// "<id> <name>" per listed thing, in the order listed.
QStringList TestKorvud::listedThings(RpcConnection &connection)
{
    QStringList things;
    const QJsonArray list =
        paramsOf(connection.call(QStringLiteral("Integrations.GetThings"))).value(QStringLiteral("things")).toArray();
    for (const QJsonValue &thing : list)
        things.append(thing[QStringLiteral("id")].toString() + QLatin1Char(' ')
                      + thing[QStringLiteral("name")].toString());
    return things;
}

void TestKorvud::testHello_data()
{
    QTest::addColumn<QString>("experiencePath");
    QTest::addColumn<Environment>("environment");
    QTest::addColumn<QByteArray>("expectedExperiences");

    const QByteArray plavo = R"({"name":"PlavoDelivery","version":"0.2"})";
    const QByteArray testExperience = R"({"name":"TestExperience","version":"1.0"})";
    const Environment none;

    QTest::newRow("delivery experience") << PlavoDeliveryDir << none << "[" + plavo + "]";
    QTest::newRow("no experience path") << QString() << none << QByteArray("[]");
    QTest::newRow("missing folder") << QStringLiteral("/nonexistent/korvu") << none << QByteArray("[]");
    QTest::newRow("integration plug-ins are not experiences") << TestThingsDir << none << QByteArray("[]");
    QTest::newRow("two folders, in path order")
        << PlavoDeliveryDir + ":" + TestExperienceDir << none << "[" + plavo + "," + testExperience + "]";
    QTest::newRow("same plug-in twice, once through ..")
        << TestExperienceDir + "::" + TestExperienceDir + "/../testexperience/" << none << "[" + testExperience + "]";
    QTest::newRow("failing initialize unloads the experience")
        << TestExperienceDir << Environment{{"KORVU_TESTEXPERIENCE_FAIL", "1"}} << QByteArray("[]");
}

void TestKorvud::testHello()
{
    QFETCH(QString, experiencePath);
    QFETCH(Environment, environment);
    QFETCH(QByteArray, expectedExperiences);

    QVERIFY(startDaemon(TestThingsDir, experiencePath, environment));
    RpcConnection connection;
    QVERIFY(connection.open());

    const QJsonObject reply = connection.call(QStringLiteral("JSONRPC.Hello"));
    QCOMPARE(reply.value("status").toString(), QStringLiteral("success"));
    const QJsonObject params = paramsOf(reply);
    QCOMPARE(params.value("server").toString(), QStringLiteral("korvud"));
    QCOMPARE(params.value("version").toString(), QStringLiteral(KORVU_VERSION));
    QCOMPARE(params.value("authenticationRequired"), QJsonValue(false));
    QCOMPARE(params.value("experiences"), jsonValue(expectedExperiences));

    // An experience that failed must not keep serving its namespace.
    const bool testExperienceListed = expectedExperiences.contains("TestExperience");
    const QJsonObject experienceReply = connection.call(QStringLiteral("TestExperience.TakeNotifications"));
    QCOMPARE(experienceReply.value("status").toString(),
             testExperienceListed ? QStringLiteral("success") : QStringLiteral("error"));
}

void TestKorvud::testSecondDaemonCannotListen()
{
    QVERIFY(startDaemon(TestThingsDir, QString()));

    QTemporaryDir otherDataDir;
    KorvudProcess second(otherDataDir.path());
    second.setEnvironmentValue(QStringLiteral("KORVU_PLUGINS_PATH"), TestThingsDir);
    QVERIFY(second.startAndWaitForExit());
    QCOMPARE(second.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.process().exitCode(), 1);

    const QByteArray error = second.readStandardError();
    QVERIFY2(error.count('\n') == 1 && error.endsWith('\n'), error.constData());
    QVERIFY2(error.startsWith("korvud: cannot listen on 127.0.0.1:2222: "), error.constData());

    // The first daemon is unaffected.
    RpcConnection connection;
    QVERIFY(connection.open());
    QCOMPARE(connection.call(QStringLiteral("JSONRPC.Hello")).value("status").toString(), QStringLiteral("success"));
}

void TestKorvud::testRequestErrors_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("expectedError");

    const QByteArray lamp = idText(TestThingIds::lampClass).toLatin1();
    QTest::newRow("unknown namespace") << QByteArray(R"({"id":1,"method":"Nope.Hello"})")
                                       << R"(Unknown method "Nope.Hello")";
    QTest::newRow("unknown method") << QByteArray(R"({"id":1,"method":"Integrations.Fly"})")
                                    << R"(Unknown method "Integrations.Fly")";
    QTest::newRow("method without namespace")
        << QByteArray(R"({"id":1,"method":"Hello"})") << R"(Unknown method "Hello")";
    QTest::newRow("method missing") << QByteArray(R"({"id":1,"params":{}})") << R"("method")";
    QTest::newRow("method not a string") << QByteArray(R"({"id":1,"method":5})") << R"("method")";
    QTest::newRow("params a list") << QByteArray(R"({"id":1,"method":"JSONRPC.Hello","params":[]})")
                                   << R"(JSONRPC.Hello: "params" must be an object)";
    QTest::newRow("params null") << QByteArray(R"({"id":1,"method":"JSONRPC.Hello","params":null})")
                                 << R"(JSONRPC.Hello: "params" must be an object)";
    QTest::newRow("AddThing without class")
        << QByteArray(R"({"id":1,"method":"Integrations.AddThing","params":{"name":"A"}})")
        << R"(Integrations.AddThing: parameter "thingClassId" is missing)";
    QTest::newRow("AddThing with a number as class")
        << QByteArray(R"({"id":1,"method":"Integrations.AddThing","params":{"thingClassId":5,"name":"A"}})")
        << R"(Integrations.AddThing: parameter "thingClassId" must be a UUID)";
    QTest::newRow("AddThing with text after the class id")
        << R"({"id":1,"method":"Integrations.AddThing","params":{"thingClassId":")" + lamp + R"(0","name":"A"}})"
        << R"(Integrations.AddThing: parameter "thingClassId" must be a UUID)";
    QTest::newRow("AddThing without name")
        << R"({"id":1,"method":"Integrations.AddThing","params":{"thingClassId":")" + lamp + R"("}})"
        << R"(Integrations.AddThing: parameter "name" is missing)";
    QTest::newRow("AddThing with a number as name")
        << R"({"id":1,"method":"Integrations.AddThing","params":{"thingClassId":")" + lamp + R"(","name":1}})"
        << R"(Integrations.AddThing: parameter "name" must be a string)";
    QTest::newRow("RemoveThing without thing") << QByteArray(R"({"id":1,"method":"Integrations.RemoveThing"})")
                                               << R"(Integrations.RemoveThing: parameter "thingId" is missing)";
    QTest::newRow("GetStateValue with a bad state type")
        << R"({"id":1,"method":"Integrations.GetStateValue","params":{"thingId":")" + lamp
               + R"(","stateTypeId":"power"}})"
        << R"(Integrations.GetStateValue: parameter "stateTypeId" must be a UUID)";
    QTest::newRow("ExecuteAction with params a list")
        << R"({"id":1,"method":"Integrations.ExecuteAction","params":{"thingId":")" + lamp + R"(","actionTypeId":")"
               + lamp + R"(","params":[]}})"
        << R"(Integrations.ExecuteAction: parameter "params" must be an object)";
}

void TestKorvud::testRequestErrors()
{
    QFETCH(QByteArray, request);
    QFETCH(QString, expectedError);

    QVERIFY(startDaemon(TestThingsDir, QString()));
    RpcConnection connection;
    QVERIFY(connection.open());
    connection.write(request);
    const QList<QJsonObject> replies = connection.readReplies(1);
    QCOMPARE(replies.size(), 1);

    const QJsonObject reply = replies.first();
    QCOMPARE(reply.value("status").toString(), QStringLiteral("error"));
    QVERIFY2(reply.value("error").toString().contains(expectedError), qPrintable(describe(reply)));
    QCOMPARE(reply.value("id"), QJsonValue(1));
    QVERIFY(reply.value("params").isObject());

    // The connection stays usable after an error reply.
    QCOMPARE(connection.call(QStringLiteral("JSONRPC.Hello")).value("status").toString(), QStringLiteral("success"));
}

void TestKorvud::testIdIsEchoed_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("expectedId");
    QTest::addColumn<QString>("expectedStatus");

    QTest::newRow("integer") << QByteArray(R"({"id":7,"method":"JSONRPC.Hello"})") << QByteArray("7") << "success";
    QTest::newRow("large integer") << QByteArray(R"({"id":2147483647,"method":"JSONRPC.Hello"})")
                                   << QByteArray("2147483647") << "success";
    QTest::newRow("fraction") << QByteArray(R"({"id":2.5,"method":"JSONRPC.Hello"})") << QByteArray("2.5") << "success";
    QTest::newRow("string") << QByteArray(R"({"id":"abc","method":"JSONRPC.Hello"})") << QByteArray(R"("abc")")
                            << "success";
    QTest::newRow("object") << QByteArray(R"({"id":{"a":[1,"}"]},"method":"JSONRPC.Hello"})")
                            << QByteArray(R"({"a":[1,"}"]})") << "success";
    QTest::newRow("null") << QByteArray(R"({"id":null,"method":"JSONRPC.Hello"})") << QByteArray("null") << "success";
    QTest::newRow("absent") << QByteArray(R"({"method":"JSONRPC.Hello"})") << QByteArray("null") << "success";
    QTest::newRow("on an error reply") << QByteArray(R"({"id":"x","method":"JSONRPC.Nope"})") << QByteArray(R"("x")")
                                       << "error";
}

void TestKorvud::testIdIsEchoed()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, expectedId);
    QFETCH(QString, expectedStatus);

    QVERIFY(startDaemon(QString(), QString()));
    RpcConnection connection;
    QVERIFY(connection.open());
    connection.write(request);
    const QList<QJsonObject> replies = connection.readReplies(1);
    QCOMPARE(replies.size(), 1);

    const QJsonObject reply = replies.first();
    QCOMPARE(reply.value("id"), jsonValue(expectedId));
    QCOMPARE(reply.value("status").toString(), expectedStatus);
    QStringList expectedKeys{"id", "params", "status"};
    if (expectedStatus == QLatin1String("error"))
        expectedKeys.prepend("error");
    QCOMPARE(reply.keys(), expectedKeys);
}

void TestKorvud::testFramingErrorClosesOnlyThatConnection_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("repliesBeforeError");

    const QByteArray hello = R"({"id":1,"method":"JSONRPC.Hello"})";
    QTest::newRow("plain text") << QByteArray("hello\n") << 0;
    QTest::newRow("top-level array") << "[" + hello + "]" << 0;
    QTest::newRow("top-level number") << QByteArray("42") << 0;
    QTest::newRow("broken object") << QByteArray(R"({"id":1,"method":"JSONRPC.Hello",})") << 0;
    QTest::newRow("mismatched brackets") << QByteArray(R"({"id":[1}])") << 0;
    QTest::newRow("valid request, then garbage") << hello + " xyz" << 1;
    QTest::newRow("message over 1 MiB") << helloOfSize(1024 * 1024 + 1) << 0;
}

void TestKorvud::testFramingErrorClosesOnlyThatConnection()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, repliesBeforeError);

    QVERIFY(startDaemon(QString(), QString()));
    RpcConnection bystander;
    QVERIFY(bystander.open());
    RpcConnection offender;
    QVERIFY(offender.open());

    offender.write(bytes);
    const QList<QJsonObject> replies = offender.readReplies(repliesBeforeError + 1);
    QCOMPARE(replies.size(), repliesBeforeError + 1);
    for (int i = 0; i < repliesBeforeError; ++i)
        QCOMPARE(replies.at(i).value("status").toString(), QStringLiteral("success"));

    const QJsonObject errorReply = replies.last();
    QCOMPARE(errorReply.value("id"), QJsonValue(QJsonValue::Null));
    QCOMPARE(errorReply.value("status").toString(), QStringLiteral("error"));
    QCOMPARE(errorReply.value("params"), QJsonValue(QJsonObject()));
    QVERIFY(!errorReply.value("error").toString().isEmpty());
    QVERIFY(offender.waitForClosed());

    QCOMPARE(bystander.call(QStringLiteral("JSONRPC.Hello")).value("status").toString(), QStringLiteral("success"));
}

void TestKorvud::testMessageAtTheSizeLimitIsServed()
{
    QVERIFY(startDaemon(QString(), QString()));
    RpcConnection connection;
    QVERIFY(connection.open());
    connection.write(helloOfSize(1024 * 1024));
    const QList<QJsonObject> replies = connection.readReplies(1);
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies.first().value("status").toString(), QStringLiteral("success"));
}

void TestKorvud::testBackToBackRequests()
{
    QVERIFY(startDaemon(TestThingsDir, QString()));
    RpcConnection connection;
    QVERIFY(connection.open());

    const QByteArray requests =
        R"({"id":1,"method":"JSONRPC.Hello"} )"
        "\n"
        R"({"id":2,"method":"JSONRPC.Nope"}{"id":3,"method":"Integrations.GetThings","params":{}})";
    const int cut = requests.indexOf("Nope");
    connection.write(requests.left(cut));
    QTest::qWait(50);
    connection.write(requests.mid(cut));

    const QList<QJsonObject> replies = connection.readReplies(3);
    QCOMPARE(replies.size(), 3);
    QCOMPARE(replies.at(0).value("id"), QJsonValue(1));
    QCOMPARE(replies.at(0).value("status").toString(), QStringLiteral("success"));
    QCOMPARE(replies.at(1).value("id"), QJsonValue(2));
    QCOMPARE(replies.at(1).value("status").toString(), QStringLiteral("error"));
    QCOMPARE(replies.at(2).value("id"), QJsonValue(3));
    QCOMPARE(paramsOf(replies.at(2)).value("things"), QJsonValue(QJsonArray()));
}

void TestKorvud::testThingLifecycle()
{
    QVERIFY(startDaemon(TestThingsDir, QString()));
    RpcConnection connection;
    QVERIFY(connection.open());

    const QUuid lampId = addLamp(connection, QStringLiteral("Desk lamp"));
    QVERIFY(!lampId.isNull());

    const QJsonArray things =
        paramsOf(connection.call(QStringLiteral("Integrations.GetThings"))).value("things").toArray();
    QCOMPARE(things.size(), 1);
    const QJsonObject expectedThing{
        {"id", idText(lampId)},
        {"thingClassId", idText(TestThingIds::lampClass)},
        {"name", "Desk lamp"},
        {"states", QJsonArray{QJsonObject{{"stateTypeId", idText(TestThingIds::powerState)}, {"value", false}}}},
    };
    QCOMPARE(things.first().toObject(), expectedThing);

    const QVariantMap stateQuery{{"thingId", idText(lampId)}, {"stateTypeId", idText(TestThingIds::powerState)}};
    QJsonObject reply = connection.call(QStringLiteral("Integrations.GetStateValue"), stateQuery);
    QCOMPARE(thingErrorOf(reply), QStringLiteral("ThingErrorNoError"));
    QCOMPARE(paramsOf(reply).value("value"), QJsonValue(false));

    reply = connection.call(QStringLiteral("Integrations.ExecuteAction"),
                            {{"thingId", idText(lampId)},
                             {"actionTypeId", idText(TestThingIds::setPowerAction)},
                             {"params", QVariantMap{{"power", true}}}});
    QCOMPARE(thingErrorOf(reply), QStringLiteral("ThingErrorNoError"));

    // Ids are accepted braced and in upper case as well.
    const QVariantMap bracedQuery{{"thingId", lampId.toString().toUpper()},
                                  {"stateTypeId", TestThingIds::powerState.toString().toUpper()}};
    reply = connection.call(QStringLiteral("Integrations.GetStateValue"), bracedQuery);
    QCOMPARE(paramsOf(reply).value("value"), QJsonValue(true));

    reply = connection.call(QStringLiteral("Integrations.RemoveThing"), {{"thingId", idText(lampId)}});
    QCOMPARE(reply.value("status").toString(), QStringLiteral("success"));
    QCOMPARE(thingErrorOf(reply), QStringLiteral("ThingErrorNoError"));
    QCOMPARE(listedThings(connection), QStringList());

    reply = connection.call(QStringLiteral("Integrations.RemoveThing"), {{"thingId", idText(lampId)}});
    QCOMPARE(thingErrorOf(reply), QStringLiteral("ThingErrorThingNotFound"));
}

void TestKorvud::testAddThingResults_data()
{
    QTest::addColumn<QString>("thingClassId");
    QTest::addColumn<QString>("expectedError");

    QTest::newRow("bare lower case class id") << idText(TestThingIds::lampClass) << "ThingErrorNoError";
    QTest::newRow("braced upper case class id") << TestThingIds::lampClass.toString().toUpper() << "ThingErrorNoError";
    QTest::newRow("unknown class") << idText(QUuid::createUuid()) << "ThingErrorThingClassNotFound";
    QTest::newRow("refused by its plug-in") << idText(TestThingIds::refusingClass) << "ThingErrorHardwareNotAvailable";
}

void TestKorvud::testAddThingResults()
{
    QFETCH(QString, thingClassId);
    QFETCH(QString, expectedError);

    QVERIFY(startDaemon(TestThingsDir, QString()));
    RpcConnection connection;
    QVERIFY(connection.open());

    const QJsonObject reply = connection.call(QStringLiteral("Integrations.AddThing"),
                                              {{"thingClassId", thingClassId}, {"name", "Thing"}});
    QCOMPARE(reply.value("status").toString(), QStringLiteral("success"));
    QCOMPARE(thingErrorOf(reply), expectedError);

    const bool added = expectedError == QLatin1String("ThingErrorNoError");
    const QString thingId = paramsOf(reply).value("thingId").toString();
    QCOMPARE(paramsOf(reply).contains("thingId"), added);
    QCOMPARE(listedThings(connection), added ? QStringList{thingId + " Thing"} : QStringList());
    if (added)
        QCOMPARE(thingId, idText(QUuid(thingId)));
}

void TestKorvud::testFirstPluginKeepsAThingClass_data()
{
    QTest::addColumn<QString>("pluginsPath");
    QTest::addColumn<QString>("expectedError");

    QTest::newRow("accepting plug-in first") << TestThingsDir + ":" + TestThingsRivalDir << "ThingErrorNoError";
    QTest::newRow("refusing rival first")
        << TestThingsRivalDir + ":" + TestThingsDir << "ThingErrorHardwareNotAvailable";
}

void TestKorvud::testFirstPluginKeepsAThingClass()
{
    QFETCH(QString, pluginsPath);
    QFETCH(QString, expectedError);

    QVERIFY(startDaemon(pluginsPath, QString()));
    RpcConnection connection;
    QVERIFY(connection.open());
    const QJsonObject reply = connection.call(QStringLiteral("Integrations.AddThing"),
                                              {{"thingClassId", idText(TestThingIds::lampClass)}, {"name", "Lamp"}});
    QCOMPARE(thingErrorOf(reply), expectedError);
    QVERIFY(m_daemon->readStandardError().contains("is already offered by plug-in"));
}

void TestKorvud::testThingErrors_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QVariantMap>("params");
    QTest::addColumn<QString>("expectedError");

    // "LAMP" stands for the id of a lamp added by the test.
    const QString unknown = idText(QUuid::createUuid());
    const QString power = idText(TestThingIds::powerState);
    const QString setPower = idText(TestThingIds::setPowerAction);

    QTest::newRow("state of an unknown thing")
        << "Integrations.GetStateValue" << QVariantMap{{"thingId", unknown}, {"stateTypeId", power}}
        << "ThingErrorThingNotFound";
    QTest::newRow("unknown state type") << "Integrations.GetStateValue"
                                        << QVariantMap{{"thingId", "LAMP"}, {"stateTypeId", unknown}}
                                        << "ThingErrorStateTypeNotFound";
    QTest::newRow("action of an unknown thing")
        << "Integrations.ExecuteAction" << QVariantMap{{"thingId", unknown}, {"actionTypeId", setPower}}
        << "ThingErrorThingNotFound";
    QTest::newRow("unknown action type") << "Integrations.ExecuteAction"
                                         << QVariantMap{{"thingId", "LAMP"}, {"actionTypeId", power}}
                                         << "ThingErrorActionTypeNotFound";
    QTest::newRow("unknown action parameter")
        << "Integrations.ExecuteAction"
        << QVariantMap{{"thingId", "LAMP"}, {"actionTypeId", setPower}, {"params", QVariantMap{{"brightness", 3}}}}
        << "ThingErrorInvalidParameter";
    QTest::newRow("removing an unknown thing")
        << "Integrations.RemoveThing" << QVariantMap{{"thingId", unknown}} << "ThingErrorThingNotFound";
}

void TestKorvud::testThingErrors()
{
    QFETCH(QString, method);
    QFETCH(QVariantMap, params);
    QFETCH(QString, expectedError);

    QVERIFY(startDaemon(TestThingsDir, QString()));
    RpcConnection connection;
    QVERIFY(connection.open());
    const QUuid lampId = addLamp(connection, QStringLiteral("Lamp"));
    QVERIFY(!lampId.isNull());
    if (params.value("thingId") == QLatin1String("LAMP"))
        params.insert("thingId", idText(lampId));

    const QJsonObject reply = connection.call(method, params);
    QCOMPARE(reply.value("status").toString(), QStringLiteral("success"));
    QCOMPARE(thingErrorOf(reply), expectedError);
    QVERIFY2(!paramsOf(reply).contains("value"), qPrintable(describe(reply)));
    QCOMPARE(listedThings(connection), QStringList{idText(lampId) + " Lamp"});
}

void TestKorvud::testThingsSurviveKill()
{
    QVERIFY(startDaemon(TestThingsDir, QString()));
    QStringList expected;
    QUuid first;
    {
        RpcConnection connection;
        QVERIFY(connection.open());
        first = addLamp(connection, QStringLiteral("First"));
        const QUuid second = addLamp(connection, QStringLiteral("Second \"quoted\" ünïcode"));
        QVERIFY(!first.isNull() && !second.isNull());
        expected = listedThings(connection);
        QCOMPARE(expected.size(), 2);
    }

    QVERIFY(restartDaemon());
    {
        RpcConnection connection;
        QVERIFY(connection.open());
        QCOMPARE(listedThings(connection), expected);
        const QJsonObject reply = connection.call(QStringLiteral("Integrations.RemoveThing"),
                                                  {{"thingId", idText(first)}});
        QCOMPARE(thingErrorOf(reply), QStringLiteral("ThingErrorNoError"));
    }

    QVERIFY(restartDaemon());
    RpcConnection connection;
    QVERIFY(connection.open());
    QCOMPARE(listedThings(connection), expected.mid(1));
}

void TestKorvud::testThingWhoseSetupFailsStaysStored()
{
    QVERIFY(startDaemon(TestThingsDir, QString()));
    QStringList expected;
    {
        RpcConnection connection;
        QVERIFY(connection.open());
        QVERIFY(!addLamp(connection, QStringLiteral("Lamp")).isNull());
        expected = listedThings(connection);
    }

    m_environment.insert(QString::fromLatin1(TestThingIds::refuseLampsVariable), QStringLiteral("1"));
    QVERIFY(restartDaemon());
    {
        RpcConnection connection;
        QVERIFY(connection.open());
        QCOMPARE(listedThings(connection), QStringList());
    }

    m_environment.clear();
    QVERIFY(restartDaemon());
    RpcConnection connection;
    QVERIFY(connection.open());
    QCOMPARE(listedThings(connection), expected);
}

void TestKorvud::testExperienceSeesThingChanges()
{
    QVERIFY(startDaemon(TestThingsDir, TestExperienceDir));
    QVERIFY(QFile::exists(m_dataDir->filePath(QStringLiteral("testexperience.sqlite"))));
    RpcConnection connection;
    QVERIFY(connection.open());

    const QUuid lampId = addLamp(connection, QStringLiteral("Lamp"));
    QVERIFY(!lampId.isNull());
    const QString lamp = idText(lampId);
    const auto execute = [&](const QUuid &actionTypeId, const QVariantMap &params) {
        const QJsonObject reply = connection.call(
            QStringLiteral("Integrations.ExecuteAction"),
            {{"thingId", lamp}, {"actionTypeId", idText(actionTypeId)}, {"params", params}});
        return thingErrorOf(reply);
    };
    QCOMPARE(execute(TestThingIds::setPowerAction, {{"power", true}}), QStringLiteral("ThingErrorNoError"));
    QCOMPARE(execute(TestThingIds::setPowerAction, {{"power", true}}), QStringLiteral("ThingErrorNoError"));
    QCOMPARE(execute(TestThingIds::pressAction, {}), QStringLiteral("ThingErrorNoError"));
    QCOMPARE(execute(TestThingIds::pressAction, {}), QStringLiteral("ThingErrorNoError"));
    QCOMPARE(thingErrorOf(connection.call(QStringLiteral("Integrations.RemoveThing"), {{"thingId", lamp}})),
             QStringLiteral("ThingErrorNoError"));

    const QJsonObject reply = connection.call(QStringLiteral("TestExperience.TakeNotifications"));
    const QString pressed = idText(TestThingIds::pressedEvent);
    const QJsonArray expected{
        "thingAdded " + lamp + " Lamp",
        "stateChanged " + lamp + " " + idText(TestThingIds::powerState) + " true",
        "event " + lamp + " " + pressed + R"( {"count":1})",
        "event " + lamp + " " + pressed + R"( {"count":2})",
        "thingRemoved " + lamp,
    };
    QCOMPARE(paramsOf(reply).value("notifications").toArray(), expected);
}

void TestKorvud::testSigtermShutsDownInOrder()
{
    QVERIFY(startDaemon(TestThingsDir, TestExperienceDir));
    QStringList expected;
    {
        RpcConnection connection;
        QVERIFY(connection.open());
        QVERIFY(!addLamp(connection, QStringLiteral("Lamp")).isNull());
        expected = listedThings(connection);
    }

    QVERIFY(m_daemon->terminate());
    QCOMPARE(m_daemon->process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_daemon->process().exitCode(), 0);
    QVERIFY2(m_daemon->readStandardError().isEmpty(), "a clean shutdown prints nothing");

    QVERIFY(restartDaemon());
    RpcConnection connection;
    QVERIFY(connection.open());
    QCOMPARE(listedThings(connection), expected);
}

void TestKorvud::testDiesWithItsParent()
{
    // A shell stands in for a test run that is killed while korvud runs.
    QProcess parent;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KORVU_DATA_DIR"), m_dataDir->path());
    parent.setProcessEnvironment(environment);
    parent.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), QStringLiteral("\"$0\" -n & wait"), QStringLiteral(KORVUD_PATH)});
    QVERIFY(parent.waitForStarted());

    QDeadlineTimer deadline(10000);
    while (!KorvudProcess::portAcceptsConnections() && !deadline.hasExpired())
        QThread::msleep(5);
    QVERIFY(KorvudProcess::portAcceptsConnections());

    ::kill(pid_t(parent.processId()), SIGKILL);
    QVERIFY(parent.waitForFinished());
    QTRY_VERIFY_WITH_TIMEOUT(!KorvudProcess::portAcceptsConnections(), 5000);
}

void TestKorvud::testStartupTime()
{
    QList<qint64> times;
    for (int run = 0; run < 5; ++run) {
        QVERIFY(startDaemon(TestThingsDir, PlavoDeliveryDir));
        times.append(m_daemon->msecsUntilListening());
        m_daemon.reset();
    }
    std::sort(times.begin(), times.end());
    qInfo() << "Milliseconds from start to listening, sorted:" << times;
    QVERIFY2(times.at(2) < 1000, "korvud takes far too long to start listening");
}

QTEST_GUILESS_MAIN(TestKorvud)
#include "tst_korvud.moc"
