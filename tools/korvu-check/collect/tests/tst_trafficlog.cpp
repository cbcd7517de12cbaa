#include "collect/trafficlog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

QByteArray line(QJsonObject entry, const QString &row, qint64 t, const QString &phase = QStringLiteral("test"))
{
    entry.insert("function", "testDelivery");
    entry.insert("row", row);
    entry.insert("t", t);
    entry.insert("phase", phase);
    return QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n';
}

QJsonObject rpc(const QString &method, const QString &params, const QByteArray &reply, int id = 7)
{
    return {{"kind", "rpc"},
            {"request", QStringLiteral("{\"id\":%1,\"method\":\"%2\",\"params\":%3}").arg(id).arg(method, params)},
            {"reply", QString::fromUtf8(reply)},
            {"waitMs", reply.isEmpty() ? 5001 : 2}};
}

QJsonObject http(int port, const QString &path, int status, const QString &error, const QString &body,
                 bool finished = true)
{
    return {{"kind", "http"}, {"port", port},         {"method", "GET"},
            {"path", path},   {"status", status},     {"error", error},
            {"body", body},   {"finished", finished}, {"waitMs", finished ? 3 : 5000}};
}

} // namespace

class TestTrafficLog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void testExchange_data();
    void testExchange();
    void testRowOfExchanges_data();
    void testRowOfExchanges();
    void testEntriesInFileOrder();
    void testMissingFile();

private:
    QString writeTrace(const QByteArray &lines);

    QTemporaryDir m_dir;
    int m_files = 0;
};

void TestTrafficLog::initTestCase() { QVERIFY(m_dir.isValid()); }

QString TestTrafficLog::writeTrace(const QByteArray &lines)
{
    QFile file(m_dir.filePath(QStringLiteral("trace%1.jsonl").arg(++m_files)));
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(lines);
    return file.fileName();
}

void TestTrafficLog::testExchange_data()
{
    QTest::addColumn<QJsonObject>("entry");
    QTest::addColumn<QString>("shown");

    QTest::newRow("request and reply") << rpc("PlavoDelivery.Status", "{}",
                                              R"({"id":7,"params":{"available":false},"status":"success"})")
                                       << "PlavoDelivery.Status {} -> success {\"available\":false}";
    QTest::newRow("reply with error") << rpc("PlavoDelivery.AddDelivery", R"({"delivery":{}})",
                                             R"({"error":"no gateId","id":7,"params":{},"status":"error"})")
                                      << "PlavoDelivery.AddDelivery {\"delivery\":{}} -> error \"no gateId\" {}";
    QTest::newRow("reply to another request")
        << rpc("PlavoDelivery.AddDelivery", "{}", R"({"id":3,"params":{},"status":"success"})", 9)
        << "PlavoDelivery.AddDelivery {} -> success {} (reply id 3, request id 9)";
    QTest::newRow("no reply") << rpc("PlavoDelivery.Status", "{}", "")
                              << "PlavoDelivery.Status {} -> no reply within 5001 ms";
    QTest::newRow("two replies in one read")
        << rpc("PlavoDelivery.Status", "{}", "{\"id\":1}{\"id\":7}")
        << "PlavoDelivery.Status {} -> not one JSON object: \"{\\\"id\\\":1}{\\\"id\\\":7}\"";
    QTest::newRow("reply bytes that are no UTF-8")
        << QJsonObject{{"kind", "rpc"},
                       {"request", R"({"id":7,"method":"JSONRPC.Hello","params":{}})"},
                       {"replyBase64", QString::fromLatin1(QByteArray("\xff\x01 x").toBase64())},
                       {"waitMs", 1}}
        << "JSONRPC.Hello {} -> not one JSON object: \"" + QString(QChar(0xfffd)) + "\\x01 x\"";
    const QString longCode(400, QLatin1Char('7'));
    QTest::newRow("long request cut, with its length")
        << rpc("PlavoDelivery.AddDelivery", QStringLiteral(R"({"trackingCode":"%1"})").arg(longCode),
               R"({"id":7,"params":{},"status":"success"})")
        << "PlavoDelivery.AddDelivery {\"trackingCode\":\"" + longCode.left(300 - 17) + "... (419 bytes) -> success {}";
    QTest::newRow("control port") << http(6656, "/actionhistory", 200, "NoError", "{03b1abeb}\n")
                                  << "GET :6656/actionhistory -> 200 \"{03b1abeb}\\n\"";
    QTest::newRow("mock ids named")
        << http(6656, "/actionhistory", 200, "NoError",
                "{03b1abeb-4589-44f9-849b-03a1465ef015}\n{7E3E6B01-99A1-4346-826F-12EBFF61C83D}\n")
        << "GET :6656/actionhistory -> 200 \"{03b1abeb-4589-44f9-849b-03a1465ef015}\\n"
           "{7E3E6B01-99A1-4346-826F-12EBFF61C83D}\\n\"  [03b1abeb = refuse, 7e3e6b01 = accept]";
    QTest::newRow("control port error") << http(6657, "/actionhistory", 500, "InternalServerError", "")
                                        << "GET :6657/actionhistory -> 500 InternalServerError \"\"";
    QTest::newRow("control port closed") << http(6655, "/actionhistory", 0, "ConnectionRefusedError", "")
                                         << "GET :6655/actionhistory -> ConnectionRefusedError \"\"";
    QTest::newRow("control port too slow") << http(6656, "/generateevent", 0, "NoError", "half", false)
                                           << "GET :6656/generateevent -> no reply within 5000 ms, so far \"half\"";
    QTest::newRow("refused connection") << QJsonObject{{"kind", "connect"},
                                                       {"connected", false},
                                                       {"error", "ConnectionRefusedError"}}
                                        << "connect 127.0.0.1:2222 -> ConnectionRefusedError";
    QTest::newRow("daemon start") << QJsonObject{{"kind", "daemonStart"},
                                                 {"program", "korvud"},
                                                 {"arguments", QJsonArray{"-n", "-d", "ThingManager"}},
                                                 {"pid", 41},
                                                 {"started", true}}
                                  << "start korvud -n -d ThingManager -> pid 41";
    QTest::newRow("daemon missing") << QJsonObject{{"kind", "daemonStart"},
                                                   {"program", "korvud"},
                                                   {"pid", 0},
                                                   {"started", false}}
                                    << "start korvud -> not started";
    QTest::newRow("daemon killed") << QJsonObject{{"kind", "daemonExit"},
                                                  {"pid", 41},
                                                  {"exitStatus", "crash"},
                                                  {"exitCode", 9}}
                                   << "pid 41 ended by signal 9";
    QTest::newRow("daemon exit") << QJsonObject{{"kind", "daemonExit"},
                                                {"pid", 41},
                                                {"exitStatus", "normal"},
                                                {"exitCode", 1}}
                                 << "pid 41 exited with status 1";
}

void TestTrafficLog::testExchange()
{
    QFETCH(QJsonObject, entry);
    QFETCH(QString, shown);

    const TrafficLog log = TrafficLog::fromFile(writeTrace(line(entry, "DPD Prio", 1000)));
    QCOMPARE(TrafficLog::lines(log.exchangesOf("testDelivery(DPD Prio)")),
             (QStringList{"exchanges (seconds from the first):", "   0.000  " + shown}));
}

void TestTrafficLog::testRowOfExchanges_data()
{
    QTest::addColumn<QByteArray>("trace");
    // What is shown for testDelivery(DPD Prio).
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<int>("otherRowLines");

    const QJsonObject poll = rpc("Integrations.GetStateValue", "{}",
                                 R"({"id":7,"params":{"value":"closed"},"status":"success"})");
    QTest::newRow("repeats, another row, the clean-up and a cut line")
        << line(rpc("PlavoDelivery.GetDeliveries", "{}", R"({"id":7,"params":{},"status":"success"})"), "DPD Prio",
                5000, "init")
               + line(poll, "DPD Prio", 5010) + line(poll, "DPD Prio", 6011) + line(poll, "other row", 6500)
               + line(poll, "DPD Prio", 7012) + line(http(6657, "/actionhistory", 200, "NoError", ""), "DPD Prio", 7100)
               + line(poll, "DPD Prio", 7200, "cleanup") + line(poll, "DPD Prio", 7300, "cleanup")
               // A line cut short by a crash.
               + "{\"kind\":\"rpc\",\"function\":\"testDel"
        << QStringList{
               "exchanges (seconds from the first):",
               "   0.000  init: PlavoDelivery.GetDeliveries {} -> success {}",
               "   0.010  Integrations.GetStateValue {} -> success {\"value\":\"closed\"}  (x3)",
               "   2.100  GET :6657/actionhistory -> 200 \"\"",
               "  (clean-up afterwards: 2 exchanges)",
           }
        << 2;

    // Sixty different exchanges fill the lines shown; the repeated one after
    // them is left out as a whole.
    QByteArray beyondShown;
    QStringList shownLines = {"exchanges (seconds from the first):"};
    for (int i = 0; i < 60; ++i) {
        const QString path = QStringLiteral("/actionhistory?page=%1").arg(i);
        beyondShown += line(http(6657, path, 200, "NoError", ""), "DPD Prio", 1000);
        shownLines.append("   0.000  GET :6657" + path + " -> 200 \"\"");
    }
    beyondShown += line(poll, "DPD Prio", 2000) + line(poll, "DPD Prio", 3000);
    shownLines.append("  (2 more exchanges in the trace)");
    QTest::newRow("a repeat beyond the lines shown") << beyondShown << shownLines << 0;
}

void TestTrafficLog::testRowOfExchanges()
{
    QFETCH(QByteArray, trace);
    QFETCH(QStringList, shown);
    QFETCH(int, otherRowLines);

    const TrafficLog log = TrafficLog::fromFile(writeTrace(trace));
    QCOMPARE(TrafficLog::lines(log.exchangesOf("testDelivery(DPD Prio)")), shown);
    QCOMPARE(TrafficLog::lines(log.exchangesOf("testDelivery(other row)")).size(), otherRowLines);
    QCOMPARE(log.exchangesOf("testDelivery(never ran)").size(), 0);
}

void TestTrafficLog::testEntriesInFileOrder()
{
    const QJsonObject hello = rpc("JSONRPC.Hello", "{}", R"({"id":7,"status":"success"})");
    const QByteArray trace = line(hello, "DPD Prio", 1000) + line(hello, "other row", 1001) + "{\"kind\":\"rp\n"
                             + line(hello, "DPD Prio", 1002);
    const TrafficLog log = TrafficLog::fromFile(writeTrace(trace));
    QVector<qint64> times;
    for (const QJsonObject &entry : log.entries())
        times.append(qint64(entry.value("t").toDouble()));
    QCOMPARE(times, (QVector<qint64>{1000, 1001, 1002}));
}

void TestTrafficLog::testMissingFile()
{
    const TrafficLog log = TrafficLog::fromFile(m_dir.filePath("missing.jsonl"));
    QCOMPARE(log.exchangesOf("initTestCase").size(), 0);
}

QTEST_GUILESS_MAIN(TestTrafficLog)
#include "tst_trafficlog.moc"
