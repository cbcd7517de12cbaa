#include "jsonrpcreplies.h"
#include "requestpath.h"
#include "testthingids.h"
#include "uuidtext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Korvu::idText;

// The "Integrations" namespace as clients see it, through the router.
class TestIntegrationsHandler : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void testParameterErrors_data();
    void testParameterErrors();
    void testThingLifecycle();
    void testAddThingResults_data();
    void testAddThingResults();
    void testThingErrors_data();
    void testThingErrors();

private:
    QJsonObject call(const QString &method, const QVariantMap &params = QVariantMap());
    QUuid addLamp(const QString &name);
    // "<id> <name>" per listed thing, in the order listed.
    QStringList listedThings();

    std::unique_ptr<QTemporaryDir> m_dataDir;
    std::unique_ptr<RequestPath> m_requestPath;
};

void TestIntegrationsHandler::init()
{
    m_dataDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dataDir->isValid());
    m_requestPath = std::make_unique<RequestPath>();
    QString errorMessage;
    QVERIFY2(m_requestPath->open(m_dataDir->path(), &errorMessage), qPrintable(errorMessage));
}

void TestIntegrationsHandler::cleanup()
{
    m_requestPath.reset();
    m_dataDir.reset();
}

QJsonObject TestIntegrationsHandler::call(const QString &method, const QVariantMap &params)
{
    return m_requestPath->call(method, params);
}

QUuid TestIntegrationsHandler::addLamp(const QString &name)
{
    const QJsonObject reply = call(QStringLiteral("Integrations.AddThing"),
                                   {{"thingClassId", idText(TestThingIds::lampClass)}, {"name", name}});
    return QUuid(JsonRpcReplies::params(reply).value(QStringLiteral("thingId")).toString());
}

QStringList TestIntegrationsHandler::listedThings()
{
    return JsonRpcReplies::listedThings(call(QStringLiteral("Integrations.GetThings")));
}

void TestIntegrationsHandler::testParameterErrors_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("expectedError");

    const QByteArray lamp = idText(TestThingIds::lampClass).toLatin1();
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

void TestIntegrationsHandler::testParameterErrors()
{
    QFETCH(QByteArray, request);
    QFETCH(QString, expectedError);

    const QJsonObject reply = m_requestPath->router().processRequest(QJsonDocument::fromJson(request).object());
    QCOMPARE(reply.value("status").toString(), QStringLiteral("error"));
    QVERIFY2(reply.value("error").toString().contains(expectedError), qPrintable(JsonRpcReplies::compact(reply)));
    QCOMPARE(reply.value("id"), QJsonValue(1));
    QVERIFY(reply.value("params").isObject());
    QCOMPARE(listedThings(), QStringList());
}

void TestIntegrationsHandler::testThingLifecycle()
{
    const QUuid lampId = addLamp(QStringLiteral("Desk lamp"));
    QVERIFY(!lampId.isNull());

    const QJsonArray things =
        JsonRpcReplies::params(call(QStringLiteral("Integrations.GetThings"))).value("things").toArray();
    QCOMPARE(things.size(), 1);
    const QJsonObject expectedThing{
        {"id", idText(lampId)},
        {"thingClassId", idText(TestThingIds::lampClass)},
        {"name", "Desk lamp"},
        {"states", QJsonArray{QJsonObject{{"stateTypeId", idText(TestThingIds::powerState)}, {"value", false}}}},
    };
    QCOMPARE(JsonRpcReplies::compact(things.first().toObject()), JsonRpcReplies::compact(expectedThing));

    const QVariantMap stateQuery{{"thingId", idText(lampId)}, {"stateTypeId", idText(TestThingIds::powerState)}};
    QJsonObject reply = call(QStringLiteral("Integrations.GetStateValue"), stateQuery);
    QCOMPARE(JsonRpcReplies::thingError(reply), QStringLiteral("ThingErrorNoError"));
    QCOMPARE(JsonRpcReplies::params(reply).value("value"), QJsonValue(false));

    reply = call(QStringLiteral("Integrations.ExecuteAction"), {{"thingId", idText(lampId)},
                                                                {"actionTypeId", idText(TestThingIds::setPowerAction)},
                                                                {"params", QVariantMap{{"power", true}}}});
    QCOMPARE(JsonRpcReplies::thingError(reply), QStringLiteral("ThingErrorNoError"));

    // Ids are accepted braced and in upper case as well.
    const QVariantMap bracedQuery{{"thingId", lampId.toString().toUpper()},
                                  {"stateTypeId", TestThingIds::powerState.toString().toUpper()}};
    reply = call(QStringLiteral("Integrations.GetStateValue"), bracedQuery);
    QCOMPARE(JsonRpcReplies::params(reply).value("value"), QJsonValue(true));

    reply = call(QStringLiteral("Integrations.RemoveThing"), {{"thingId", idText(lampId)}});
    QCOMPARE(reply.value("status").toString(), QStringLiteral("success"));
    QCOMPARE(JsonRpcReplies::thingError(reply), QStringLiteral("ThingErrorNoError"));
    QCOMPARE(listedThings(), QStringList());

    reply = call(QStringLiteral("Integrations.RemoveThing"), {{"thingId", idText(lampId)}});
    QCOMPARE(JsonRpcReplies::thingError(reply), QStringLiteral("ThingErrorThingNotFound"));
}

void TestIntegrationsHandler::testAddThingResults_data()
{
    QTest::addColumn<QString>("thingClassId");
    QTest::addColumn<QString>("expectedError");

    QTest::newRow("bare lower case class id") << idText(TestThingIds::lampClass) << "ThingErrorNoError";
    QTest::newRow("braced upper case class id") << TestThingIds::lampClass.toString().toUpper() << "ThingErrorNoError";
    QTest::newRow("unknown class") << idText(QUuid::createUuid()) << "ThingErrorThingClassNotFound";
    QTest::newRow("refused by its plug-in") << idText(TestThingIds::refusingClass) << "ThingErrorHardwareNotAvailable";
}

void TestIntegrationsHandler::testAddThingResults()
{
    QFETCH(QString, thingClassId);
    QFETCH(QString, expectedError);

    const QJsonObject reply = call(QStringLiteral("Integrations.AddThing"),
                                   {{"thingClassId", thingClassId}, {"name", "Thing"}});
    QCOMPARE(reply.value("status").toString(), QStringLiteral("success"));
    QCOMPARE(JsonRpcReplies::thingError(reply), expectedError);

    const bool added = expectedError == QLatin1String("ThingErrorNoError");
    const QString thingId = JsonRpcReplies::params(reply).value("thingId").toString();
    QCOMPARE(JsonRpcReplies::params(reply).contains("thingId"), added);
    QCOMPARE(listedThings(), added ? QStringList{thingId + " Thing"} : QStringList());
    if (added)
        QCOMPARE(thingId, idText(QUuid(thingId)));
}

void TestIntegrationsHandler::testThingErrors_data()
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

void TestIntegrationsHandler::testThingErrors()
{
    QFETCH(QString, method);
    QFETCH(QVariantMap, params);
    QFETCH(QString, expectedError);

    const QUuid lampId = addLamp(QStringLiteral("Lamp"));
    QVERIFY(!lampId.isNull());
    if (params.value("thingId") == QLatin1String("LAMP"))
        params.insert("thingId", idText(lampId));

    const QJsonObject reply = call(method, params);
    QCOMPARE(reply.value("status").toString(), QStringLiteral("success"));
    QCOMPARE(JsonRpcReplies::thingError(reply), expectedError);
    QVERIFY2(!JsonRpcReplies::params(reply).contains("value"), qPrintable(JsonRpcReplies::compact(reply)));
    QCOMPARE(listedThings(), QStringList{idText(lampId) + " Lamp"});
}

QTEST_GUILESS_MAIN(TestIntegrationsHandler)
#include "tst_integrationshandler.moc"
