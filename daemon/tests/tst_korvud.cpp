#include "jsonrpcreplies.h"
#include "korvudprocess.h"
#include "rpcconnection.h"
#include "testthings/testthingids.h"
#include "uuidtext.h"

#include <QJsonArray>
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
    void testFramingErrorClosesOnlyThatConnection_data();
    void testFramingErrorClosesOnlyThatConnection();
    void testMessageAtTheSizeLimitIsServed();
    void testBackToBackRequests();
    void testFirstPluginKeepsAThingClass();
    void testThingsSurviveKill();
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
    return QUuid(JsonRpcReplies::params(reply).value(QStringLiteral("thingId")).toString());
}

QStringList TestKorvud::listedThings(RpcConnection &connection)
{
    return JsonRpcReplies::listedThings(connection.call(QStringLiteral("Integrations.GetThings")));
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
    const QJsonObject params = JsonRpcReplies::params(reply);
    QCOMPARE(params.value("server").toString(), QStringLiteral("korvud"));
    QCOMPARE(params.value("version").toString(), QStringLiteral(KORVU_VERSION));
    QCOMPARE(params.value("authenticationRequired"), QJsonValue(false));
    QCOMPARE(params.value("experiences"), JsonRpcReplies::valueOf(expectedExperiences));

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
    QCOMPARE(JsonRpcReplies::params(replies.at(2)).value("things"), QJsonValue(QJsonArray()));
}

// Which plug-in keeps a class is the registry's rule (tst_thingregistry);
// which comes first is the order of the plug-in path.
void TestKorvud::testFirstPluginKeepsAThingClass()
{
    QVERIFY(startDaemon(TestThingsRivalDir + ":" + TestThingsDir, QString()));
    RpcConnection connection;
    QVERIFY(connection.open());
    const QJsonObject reply = connection.call(QStringLiteral("Integrations.AddThing"),
                                              {{"thingClassId", idText(TestThingIds::lampClass)}, {"name", "Lamp"}});
    QCOMPARE(JsonRpcReplies::thingError(reply), QStringLiteral("ThingErrorHardwareNotAvailable"));
    QVERIFY(m_daemon->readStandardError().contains("is already offered by plug-in"));
}

// The rest of what the registry and the store keep across a restart is
// tested in process (tst_thingregistry, tst_thingstore).
void TestKorvud::testThingsSurviveKill()
{
    QVERIFY(startDaemon(TestThingsDir, QString()));
    QStringList expected;
    {
        RpcConnection connection;
        QVERIFY(connection.open());
        QVERIFY(!addLamp(connection, QStringLiteral("First")).isNull());
        QVERIFY(!addLamp(connection, QStringLiteral("Second")).isNull());
        expected = listedThings(connection);
    }

    QVERIFY(restartDaemon());
    RpcConnection connection;
    QVERIFY(connection.open());
    QCOMPARE(listedThings(connection), expected);
}

// What the registry signals is tested in process (tst_thingregistry); here:
// a loaded experience gets its database and the daemon's registry.
void TestKorvud::testExperienceSeesThingChanges()
{
    QVERIFY(startDaemon(TestThingsDir, TestExperienceDir));
    QVERIFY(QFile::exists(m_dataDir->filePath(QStringLiteral("testexperience.sqlite"))));
    RpcConnection connection;
    QVERIFY(connection.open());

    const QUuid lampId = addLamp(connection, QStringLiteral("Lamp"));
    QVERIFY(!lampId.isNull());
    const QString lamp = idText(lampId);
    const QJsonObject reply = connection.call(QStringLiteral("TestExperience.TakeNotifications"));
    QCOMPARE(JsonRpcReplies::params(reply).value("notifications").toArray(),
             QJsonArray{"thingAdded " + lamp + " Lamp"});
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
