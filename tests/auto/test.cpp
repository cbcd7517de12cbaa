#include "test.h"
#include "comparedvariantmap.h"
#include "connectionbound.h"
#include "daemonenvironment.h"
#include "daemonport.h"
#include "traffictrace.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QtTest>

#include <random>

namespace {

const char gateThingClassId[] = "e09c4d49-e631-4267-9a3e-ff3a46a454bc";
const char scannerThingClassId[] = "b16048e7-9c24-4ec1-a7bf-7fd20ee4c813";
const char notificationDeviceThingClassId[] = "47ced9b1-b7fd-44de-a4d7-8b27e47b8579";

bool isMockThingClass(const QUuid &thingClassId)
{
    return thingClassId == QUuid(gateThingClassId) || thingClassId == QUuid(scannerThingClassId)
           || thingClassId == QUuid(notificationDeviceThingClassId);
}

} // namespace

Test::Test(QObject *parent)
    : QObject(parent)
{
}

void Test::initTestCase() { startDaemon(); }

void Test::cleanupTestCase() { stopDaemon(); }

void Test::init()
{
    TrafficTrace::setPhase(TrafficTrace::Phase::Init);
    removeAllDeliveries();
    removeMockThings();
    TrafficTrace::setPhase(TrafficTrace::Phase::Test);
}

void Test::cleanup()
{
    TrafficTrace::setPhase(TrafficTrace::Phase::Cleanup);
    removeAllDeliveries();
    removeMockThings();
    TrafficTrace::setPhase(TrafficTrace::Phase::Test);
}

void Test::startDaemon()
{
    launchDaemon();
    connectToDaemon();
    if (!m_socket)
        return;
    verifyHandshake();
}

void Test::stopDaemon()
{
    if (m_socket) {
        m_socket->disconnectFromHost();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    if (m_process) {
        TrafficTrace::daemonKilled(m_process);
        m_process->kill();
        m_process->waitForFinished(30000);
        m_process->deleteLater();
        m_process = nullptr;
    }
}

void Test::launchDaemon()
{
    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::MergedChannels);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    qDebug() << "Running in:" << QDir::currentPath();
    env.insert(DaemonEnvironment::pluginsPathVariable,
               QDir::currentPath() + '/' + DaemonEnvironment::mocksDirFromSuite + '/');
    env.insert(DaemonEnvironment::experiencePluginsPathVariable,
               QDir::currentPath() + '/' + DaemonEnvironment::experienceDirFromSuite + '/');
    m_process->setProcessEnvironment(env);
    qDebug() << "PATH:" << env.value("PATH");

    const QStringList arguments = {"-n", "-d",           "ThingManager", "-d", "Experiences", "-d", "PlavoExperience",
                                   "-d", "DeliveryMocks"};
    m_process->start(DaemonEnvironment::program, arguments, QIODevice::ReadWrite);
    m_process->waitForStarted(30000);
    TrafficTrace::daemonStarted(m_process, arguments);

    // The handlers capture the process itself: after stopDaemon has cleared
    // m_process, the kill of this process is still logged.
    QProcess *process = m_process;
    connect(process, &QProcess::stateChanged, this,
            [](QProcess::ProcessState state) { qWarning() << "Korvu state changed:" << state; });
    connect(process, &QProcess::errorOccurred, this,
            [](QProcess::ProcessError error) { qWarning() << "Process error:" << error; });
    connect(process, &QProcess::readyRead, this, [process]() {
        const QList<QByteArray> lines = process->readAll().trimmed().split('\n');
        for (const QByteArray &line : lines)
            qDebug().noquote() << QString::fromUtf8(line);
    });
}

void Test::connectToDaemon()
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!attemptConnection()) {
        // A daemon that never listens would otherwise keep the suite retrying forever.
        QVERIFY2(elapsed.elapsed() < connectionBoundMs,
                 qPrintable(QStringLiteral("korvud never accepted a connection on 127.0.0.1:%1 within %2 s")
                                .arg(daemonPort)
                                .arg(connectionBoundMs / 1000)));
    }
}

bool Test::attemptConnection()
{
    m_socket = new QTcpSocket(this);
    QSignalSpy spy(m_socket, &QTcpSocket::connected);
    connect(m_socket, &QTcpSocket::connected, this, []() { qDebug() << "Connected to korvu"; });
    connect(m_socket, &QAbstractSocket::errorOccurred, this,
            [](QAbstractSocket::SocketError socketError) { qWarning() << "Error connecting to korvu" << socketError; });
    QElapsedTimer waited;
    waited.start();
    m_socket->connectToHost(QHostAddress(QHostAddress::LocalHost), daemonPort, QIODevice::ReadWrite);
    spy.wait(1000);
    TrafficTrace::connectionAttempt(m_socket, !spy.isEmpty(), waited.elapsed());
    if (spy.isEmpty()) {
        delete m_socket;
        m_socket = nullptr;
        return false;
    }
    return true;
}

void Test::verifyHandshake()
{
    QVariant reply = requestAndWait("JSONRPC.Hello");

    ComparedVariantMap experienceDefinition;
    experienceDefinition.insert("name", "PlavoDelivery");
    experienceDefinition.insert("version", "0.2");

    QVERIFY2(reply.toMap().value("params").toMap().contains("experiences"),
             QString("No experience plugins loaded!\n%1").arg(jsonText(reply)).toUtf8());
    QVERIFY2(reply.toMap().value("params").toMap().value("experiences").toList().contains(experienceDefinition),
             QString("PlavoDelivery 0.2 experience plugins not loaded!\n%1").arg(jsonText(reply)).toUtf8());
    QVERIFY2(reply.toMap().value("params").toMap().value("authenticationRequired").toBool() == false,
             qPrintable(QStringLiteral("Korvu is configured to require authentication on port %1. This test requires "
                                       "an unauthenticated connection.")
                            .arg(daemonPort)));
}

QVariant Test::requestAndWait(const QString &method, const QVariantMap &params)
{
    // Without a connection (a start that never got one) there is no reply;
    // the callers' verifications then fail with their own messages.
    if (!m_socket)
        return QVariant();

    QVariantMap request;
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    // Qt 5.15's qrand draws from minstd_rand seeded with 1: the ids in failure messages stay as they were.
    static std::minstd_rand requestIds;
    request.insert("id", int(requestIds()));
#else
    request.insert("id", qrand());
#endif
    request.insert("method", method);
    request.insert("params", params);
    const QByteArray payload = QJsonDocument::fromVariant(request).toJson(QJsonDocument::Compact);

    QSignalSpy spy(m_socket, &QTcpSocket::readyRead);
    QElapsedTimer waited;
    waited.start();
    m_socket->write(payload);
    spy.wait(5000);

    const QByteArray data = m_socket->readAll();
    TrafficTrace::rpc(payload, data, waited.elapsed());
    return QJsonDocument::fromJson(data).toVariant();
}

QUuid Test::createGate() { return addMockThing(gateThingClassId, "Gate"); }

QUuid Test::createScanner() { return addMockThing(scannerThingClassId, "Scanner"); }

QUuid Test::createNotificationDevice() { return addMockThing(notificationDeviceThingClassId, "Notification Device"); }

QUuid Test::addMockThing(const QString &thingClassId, const QString &name)
{
    QVariantMap params;
    params.insert("thingClassId", thingClassId);
    params.insert("name", name);
    const QVariant reply = requestAndWait("Integrations.AddThing", params);
    return reply.toMap().value("params").toMap().value("thingId").toUuid();
}

void Test::removeAllDeliveries()
{
    const QVariant reply = requestAndWait("PlavoDelivery.GetDeliveries");
    const QVariantList deliveries = reply.toMap().value("params").toMap().value("deliveries").toList();
    for (const QVariant &delivery : deliveries) {
        QVariantMap params;
        params.insert("deliveryId", delivery.toMap().value("id"));
        requestAndWait("PlavoDelivery.RemoveDelivery", params);
    }
}

void Test::removeMockThings()
{
    const QVariant reply = requestAndWait("Integrations.GetThings");
    const QVariantList things = reply.toMap().value("params").toMap().value("things").toList();
    for (const QVariant &thing : things) {
        const QVariantMap thingMap = thing.toMap();
        if (!isMockThingClass(thingMap.value("thingClassId").toUuid()))
            continue;
        QVariantMap params;
        params.insert("thingId", thingMap.value("id").toString());
        requestAndWait("Integrations.RemoveThing", params);
    }
}

QString Test::jsonText(const QVariant &value) { return QString::fromUtf8(QJsonDocument::fromVariant(value).toJson()); }
