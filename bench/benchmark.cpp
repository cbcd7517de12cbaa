#include "benchmark.h"

#include "deliverymocksids.h"
#include "korvudprocess.h"
#include "resulttable.h"
#include "rpcconnection.h"
#include "samples.h"
#include "uuidtext.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>

namespace {

const ResultTable::Target roundTripTarget{200, QStringLiteral("µs")};
const ResultTable::Target startupTarget{100, QStringLiteral("ms")};
const ResultTable::Target listingTarget{100, QStringLiteral("ms")};
const ResultTable::Target memoryTarget{30, QStringLiteral("MiB")};
// Long enough for a commit behind a slow disk; the figures say how long it really took.
const int ReplyTimeoutMs = 30000;

double microseconds(qint64 nanoseconds) { return nanoseconds / 1000.0; }
double milliseconds(qint64 nanoseconds) { return nanoseconds / 1000000.0; }

QString describe(const QJsonObject &reply)
{
    return reply.isEmpty() ? QStringLiteral("no reply")
                           : QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact).left(300));
}

} // namespace

Benchmark::Benchmark(const BenchOptions &options)
    : m_options(options)
{
}

Benchmark::~Benchmark() = default;

bool Benchmark::run(ResultTable *table, QString *errorMessage)
{
    if (KorvudProcess::portAcceptsConnections()) {
        *errorMessage = QStringLiteral(
            "port 2222 is already in use; run korvubench in a network namespace of its own (unshare -n)");
        return false;
    }
    m_daemon = std::make_unique<KorvudProcess>(m_dataDir.path());
    if (!m_dataDir.isValid() || !m_daemon->logToFile()) {
        *errorMessage = QStringLiteral("cannot create a temporary folder");
        return false;
    }
    m_daemon->process().setProgram(m_options.korvudPath);
    m_daemon->setPluginPaths(m_options.pluginsPath, m_options.experiencePluginsPath);
    if (!measureStartup(QStringLiteral("empty data folder"), table, errorMessage))
        return false;

    RpcConnection client;
    if (!client.open() || !createThings(&client, errorMessage)) {
        if (errorMessage->isEmpty())
            *errorMessage = QStringLiteral("cannot connect to korvud");
        return false;
    }
    measureMemory(QStringLiteral("idle, with gate and scanner"), table);
    if (!measureRoundTrip(&client, table, errorMessage) || !measureAdding(&client, table, errorMessage))
        return false;
    measureMemory(QStringLiteral("after %1 deliveries").arg(m_options.deliveries), table);
    if (!measureListing(&client, table, errorMessage))
        return false;
    measureMemory(QStringLiteral("after listing them"), table);
    return measureStartup(QStringLiteral("%1 deliveries stored").arg(m_options.deliveries), table, errorMessage);
}

bool Benchmark::startDaemon(QString *errorMessage)
{
    m_daemon->kill();
    if (m_daemon->start())
        return true;
    *errorMessage = QStringLiteral("%1 did not start listening: %2")
                        .arg(m_options.korvudPath, QString::fromUtf8(m_daemon->loggedStandardError().right(2000)));
    return false;
}

bool Benchmark::measureStartup(const QString &situation, ResultTable *table, QString *errorMessage)
{
    Samples samples;
    for (int i = 0; i < m_options.restarts; ++i) {
        if (!startDaemon(errorMessage))
            return false;
        samples.add(m_daemon->msecsUntilListening() * 1000000);
    }
    table->add(QStringLiteral("start to listening, %1 (median of %2)").arg(situation).arg(samples.count()),
               milliseconds(samples.median()), startupTarget);
    return true;
}

bool Benchmark::createThings(RpcConnection *client, QString *errorMessage)
{
    const auto addThing = [&](const QUuid &thingClassId, const QString &name) {
        const QJsonObject reply = client->call(QStringLiteral("Integrations.AddThing"),
                                               {{"thingClassId", Korvu::idText(thingClassId)}, {"name", name}});
        const QUuid thingId(reply.value("params").toObject().value("thingId").toString());
        if (thingId.isNull())
            *errorMessage = QStringLiteral("cannot add the %1: %2").arg(name, describe(reply));
        return thingId;
    };
    m_gateId = addThing(DeliveryMocksIds::garageGateThingClassId, QStringLiteral("gate"));
    m_scannerId = addThing(DeliveryMocksIds::parcelScannerThingClassId, QStringLiteral("scanner"));
    return !m_gateId.isNull() && !m_scannerId.isNull();
}

bool Benchmark::measureRoundTrip(RpcConnection *client, ResultTable *table, QString *errorMessage)
{
    Samples samples;
    samples.reserve(m_options.requests);
    QElapsedTimer clock;
    for (int i = 0; i < m_options.requests; ++i) {
        const QByteArray request = RpcConnection::request(i, QStringLiteral("JSONRPC.Hello"));
        clock.start();
        const QJsonObject reply = client->call(request, ReplyTimeoutMs);
        samples.add(clock.nsecsElapsed());
        if (reply.value("status") != QLatin1String("success")) {
            *errorMessage = QStringLiteral("JSONRPC.Hello failed: %1").arg(describe(reply));
            return false;
        }
    }
    const QString calls = QStringLiteral("%1 sequential JSONRPC.Hello").arg(samples.count());
    table->add(QStringLiteral("round trip, median of %1").arg(calls), microseconds(samples.median()), roundTripTarget);
    table->add(QStringLiteral("round trip, 99th percentile"),
               ResultTable::formatted(microseconds(samples.percentile(0.99)), QStringLiteral("µs")));
    return true;
}

bool Benchmark::measureAdding(RpcConnection *client, ResultTable *table, QString *errorMessage)
{
    Samples samples;
    samples.reserve(m_options.deliveries);
    QElapsedTimer total;
    total.start();
    QElapsedTimer clock;
    for (int i = 0; i < m_options.deliveries; ++i) {
        const QVariantMap delivery{
            {"name", QStringLiteral("Parcel %1").arg(i)},
            {"trackingCode", QStringLiteral("JJD%1").arg(i, 12, 10, QLatin1Char('0'))},
            {"gateId", Korvu::idText(m_gateId)},
            {"scannerId", Korvu::idText(m_scannerId)},
            {"openDuration", 30},
        };
        const QByteArray request = RpcConnection::request(i, QStringLiteral("PlavoDelivery.AddDelivery"),
                                                          {{"delivery", delivery}});
        clock.start();
        const QJsonObject reply = client->call(request, ReplyTimeoutMs);
        samples.add(clock.nsecsElapsed());
        if (reply.value("params").toObject().value("deliveryError") != QLatin1String("DeliveryErrorNoError")) {
            *errorMessage = QStringLiteral("AddDelivery failed: %1").arg(describe(reply));
            return false;
        }
    }
    const double seconds = total.nsecsElapsed() / 1e9;
    table->add(QStringLiteral("AddDelivery with its commit, one at a time"),
               QStringLiteral("%1 /s").arg(m_options.deliveries / seconds, 0, 'f', 0));
    table->add(QStringLiteral("AddDelivery, median"),
               ResultTable::formatted(microseconds(samples.median()), QStringLiteral("µs")));
    table->add(QStringLiteral("AddDelivery, 99th percentile"),
               ResultTable::formatted(microseconds(samples.percentile(0.99)), QStringLiteral("µs")));
    return true;
}

bool Benchmark::measureListing(RpcConnection *client, ResultTable *table, QString *errorMessage)
{
    Samples samples;
    QElapsedTimer clock;
    qint64 replyBytes = 0;
    for (int i = 0; i < m_options.listings; ++i) {
        clock.start();
        const QJsonObject reply = client->call(RpcConnection::request(i, QStringLiteral("PlavoDelivery.GetDeliveries")),
                                               ReplyTimeoutMs);
        const QJsonArray deliveries = reply.value("params").toObject().value("deliveries").toArray();
        samples.add(clock.nsecsElapsed());
        if (deliveries.size() != m_options.deliveries) {
            *errorMessage = QStringLiteral("GetDeliveries listed %1 deliveries instead of %2")
                                .arg(deliveries.size())
                                .arg(m_options.deliveries);
            return false;
        }
        replyBytes = QJsonDocument(reply).toJson(QJsonDocument::Compact).size();
    }
    table->add(QStringLiteral("GetDeliveries of %1, read and parsed (median of %2)")
                   .arg(m_options.deliveries)
                   .arg(samples.count()),
               milliseconds(samples.median()), listingTarget);
    table->add(QStringLiteral("GetDeliveries reply size"),
               ResultTable::formatted(replyBytes / 1024.0 / 1024.0, QStringLiteral("MiB")));
    return true;
}

void Benchmark::measureMemory(const QString &situation, ResultTable *table)
{
    // Let the daemon finish whatever the last reply set off.
    QThread::msleep(100);
    const qint64 kib = m_daemon->residentKiB();
    const QString measure = QStringLiteral("resident memory, %1").arg(situation);
    if (kib < 0)
        table->add(measure, QStringLiteral("unknown"));
    else
        table->add(measure, kib / 1024.0, memoryTarget);
}
