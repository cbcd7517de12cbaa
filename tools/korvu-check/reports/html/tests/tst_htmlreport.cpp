#include "collect/trafficlog.h"
#include "reports/html/differencehtml.h"
#include "reports/html/gatetimeline.h"
#include "reports/html/htmlreport.h"
#include "reports/html/htmlwriter.h"
#include "results/runresults.h"
#include "tests/tracedruns.h"

#include <QJsonDocument>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

const QString gateState = QStringLiteral("61ebba3f-02b2-472c-90e4-2ddb292e6ee9");
const QString acceptId = QStringLiteral("{7e3e6b01-99a1-4346-826f-12ebff61c83d}");
const QString openId = QStringLiteral("{2eb6135e-579f-4b9a-be7b-785d664a3875}");
const QString notifyId = QStringLiteral("{86ed7935-5c88-4810-a94c-50a39946a04c}");

QJsonObject entry(qint64 t, QJsonObject fields)
{
    fields.insert("t", t);
    fields.insert("function", "testDelivery");
    fields.insert("row", "granted");
    fields.insert("phase", "test");
    return fields;
}

QJsonObject rpc(qint64 t, const QString &method, const QJsonObject &params, const QJsonObject &replyParams)
{
    const QJsonObject request{{"id", 1}, {"method", method}, {"params", params}};
    const QJsonObject reply{{"id", 1}, {"status", "success"}, {"params", replyParams}};
    return entry(t, {{"kind", "rpc"},
                     {"request", QString::fromUtf8(QJsonDocument(request).toJson(QJsonDocument::Compact))},
                     {"reply", QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact))},
                     {"waitMs", 1}});
}

QJsonObject http(qint64 t, int port, const QString &path, const QString &body)
{
    return entry(t, {{"kind", "http"},
                     {"port", port},
                     {"method", "GET"},
                     {"path", path},
                     {"status", 200},
                     {"error", "NoError"},
                     {"finished", true},
                     {"body", body}});
}

QJsonObject poll(qint64 t, const QString &value)
{
    return rpc(t, "Integrations.GetStateValue", {{"stateTypeId", gateState}}, {{"value", value}});
}

// A granted delivery up to the gate's first poll: added with a second of
// open time, the scan injected and accepted, the gate told to open.
QVector<QJsonObject> grantedStart()
{
    return {rpc(1000, "PlavoDelivery.AddDelivery", {{"delivery", QJsonObject{{"openDuration", 1}}}}, {}),
            http(1010, 6656, "/generateevent?eventTypeId=x&content=46190", "Event emitted\n"),
            http(1020, 6656, "/actionhistory", acceptId + "\n"), http(1030, 6655, "/actionhistory", openId + "\n")};
}

// What a parser reads of a page: its text, and how many elements carry each class.
struct ParsedPage
{
    QString error;
    QString text;
    QHash<QString, int> classes;
    int scripts = 0;
};

ParsedPage parse(const QString &page)
{
    ParsedPage parsed;
    QXmlStreamReader xml(page);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            parsed.scripts += xml.name() == QLatin1String("script") ? 1 : 0;
            const QStringList classes = xml.attributes().value("class").toString().split(' ', Qt::SkipEmptyParts);
            for (const QString &name : classes)
                ++parsed.classes[name];
        } else if (xml.isCharacters()) {
            parsed.text += xml.text();
        }
    }
    if (xml.hasError())
        parsed
            .error = QStringLiteral("%1 at %2:%3").arg(xml.errorString()).arg(xml.lineNumber()).arg(xml.columnNumber());
    return parsed;
}

TestVerdict verdict(const QString &row, TestVerdict::Outcome outcome, const QStringList &message = {})
{
    TestVerdict made;
    made.function = QStringLiteral("testDelivery");
    made.row = row;
    made.outcome = outcome;
    made.messageLines = message;
    made.seconds = 2.5;
    if (!message.isEmpty())
        made.location = QStringLiteral("testdeliveries.cpp(460)");
    return made;
}

// The lines marked as differing in each value of a difference's HTML, "expected: ..." or "actual: ...".
QStringList markedLines(const ValueDifference &difference)
{
    HtmlWriter html;
    DifferenceHtml::write(html, difference);
    QXmlStreamReader xml(html.finished());
    QStringList marked;
    QString side;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("pre"))
            side = xml.attributes().value("class").toString();
        else if (xml.attributes().value("class") == QLatin1String("differs"))
            marked.append(side + ": " + xml.readElementText().trimmed());
    }
    return marked;
}

} // namespace

class TestHtmlReport : public QObject
{
    Q_OBJECT
private slots:
    void testHostileText_data();
    void testHostileText();
    void testTimeline_data();
    void testTimeline();
    void testPage();
    void testDifferingLinesMarked_data();
    void testDifferingLinesMarked();
};

void TestHtmlReport::testHostileText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("read");

    QTest::newRow("markup") << "<script>alert('x')</script>"
                            << "<script>alert('x')</script>";
    QTest::newRow("quotes and entities") << "\"a\" & 'b' &amp;"
                                         << "\"a\" & 'b' &amp;";
    QTest::newRow("invalid UTF-8, decoded")
        << QString::fromUtf8("ok \xff\xfe end") << QString::fromUtf8("ok \xef\xbf\xbd\xef\xbf\xbd end");
    QTest::newRow("control characters and a lone surrogate")
        << QString("\x1b[31mred\x01") + QChar(0xd800)
        << QString(QChar(0xfffd)) + "[31mred" + QChar(0xfffd) + QChar(0xfffd);
}

// Whatever a daemon writes stays text, in element content and attribute
// values alike, and the page stays well-formed.
void TestHtmlReport::testHostileText()
{
    QFETCH(QString, text);
    QFETCH(QString, read);

    HtmlWriter html;
    html.open("div", {{"title", text}});
    html.element("p", text);
    QXmlStreamReader xml(html.finished());
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.attributes().value("title").toString(), read);
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name().toString(), QStringLiteral("p"));
    QCOMPARE(xml.readElementText(), read);
    xml.readNext();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
}

void TestHtmlReport::testTimeline_data()
{
    QTest::addColumn<QVector<QJsonObject>>("exchanges");
    QTest::addColumn<bool>("failed");
    QTest::addColumn<QStringList>("marks");
    QTest::addColumn<QStringList>("sentences");
    QTest::addColumn<double>("windowEnd");
    QTest::addColumn<double>("failedAt");

    const QStringList start = {"daemon AddDelivery", "scanner scan 46190", "scanner accept", "gate open"};
    QTest::newRow("closed late, nobody notified")
        << (grantedStart() << poll(1040, "open") << poll(2040, "open") << poll(3040, "closed")
                           << http(3050, 6657, "/actionhistory", "\n"))
        << true << start + QStringList{"gate open", "gate open", "gate closed", "notification nothing"}
        << QStringList{"the scan was accepted",
                       "the gate read closed 2.0 s after the scan (last read open at 1.0 s), expected to close after 1 "
                       "s",
                       "no notification was sent"}
        << 1.01 << 2.05;
    QTest::newRow("never closed")
        << (grantedStart() << poll(1040, "open") << poll(2040, "open")) << true
        << start + QStringList{"gate open", "gate open"}
        << QStringList{"the scan was accepted",
                       "the gate was still open 1.0 s after the scan, expected to close after 1 s"}
        << 1.01 << 1.04;
    QTest::newRow("never opened, passed")
        << (grantedStart() << poll(1040, "closed") << http(1050, 6657, "/actionhistory", notifyId + "\n")) << false
        << start + QStringList{"gate closed", "notification notify"}
        << QStringList{"the scan was accepted", "the gate never read open in its one poll", "the notification was sent"}
        << 1.01 << -1.0;
    QTest::newRow("restarted, no scan")
        << QVector<QJsonObject>{entry(500, {{"kind", "daemonKill"}, {"pid", 4}}),
                                entry(600, {{"kind", "daemonStart"}, {"pid", 5}, {"started", true}}),
                                rpc(700, "PlavoDelivery.GetDeliveries", {}, {})}
        << true << QStringList{"daemon kill", "daemon start", "daemon GetDeliveries"}
        << QStringList{"the daemon was killed and started again once"} << -1.0 << 0.2;
    // The suite's clean-up ends its daemon for good.
    QTest::newRow("killed at the end")
        << QVector<QJsonObject>{entry(500, {{"kind", "daemonKill"}, {"pid", 4}}),
                                entry(510, {{"kind", "daemonExit"}, {"pid", 4}, {"signal", 9}})}
        << false << QStringList{"daemon kill"} << QStringList{"the daemon was killed once"} << -1.0 << -1.0;
}

void TestHtmlReport::testTimeline()
{
    QFETCH(QVector<QJsonObject>, exchanges);
    QFETCH(bool, failed);
    QFETCH(QStringList, marks);
    QFETCH(QStringList, sentences);
    QFETCH(double, windowEnd);
    QFETCH(double, failedAt);

    QVERIFY(GateTimeline::applies(exchanges));
    const GateTimeline timeline = GateTimeline::fromExchanges(exchanges, failed);
    const QStringList laneNames = {"scanner", "daemon", "gate", "notification"};
    QStringList drawn;
    for (const GateTimeline::Mark &mark : timeline.marks())
        drawn.append(laneNames.at(static_cast<int>(mark.lane)) + ' ' + mark.label);
    QCOMPARE(drawn, marks);
    QCOMPARE(timeline.sentences(), sentences);
    QCOMPARE(timeline.hasWindow(), windowEnd >= 0);
    if (timeline.hasWindow())
        QCOMPARE(timeline.windowEnd(), windowEnd);
    QCOMPARE(timeline.failedAt(), failedAt);

    QVERIFY(!GateTimeline::applies(
        {rpc(1000, "Integrations.AddThing", {}, {}), http(1010, 6656, "/actionhistory", acceptId)}));
}

// A page of a repeated run, one row failing in one repetition with hostile
// traffic: well-formed, the hostile bytes text, the megabyte cut, the flaky
// row marked with a cell per repetition and listed first, the field that
// differs marked in both values.
void TestHtmlReport::testPage()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString hostile = QStringLiteral("<script>alert(\"x\")</script>");
    const QByteArray megabyte(1024 * 1024, 'x');
    QFile trace(dir.filePath("trace.jsonl"));
    QVERIFY(trace.open(QIODevice::WriteOnly));
    QVector<QJsonObject> exchanges = grantedStart() << poll(1040, "open") << poll(2040, "open");
    exchanges << http(2050, 6657, "/actionhistory", hostile) << http(2060, 6657, "/actionhistory", megabyte)
              << entry(2070, {{"kind", "http"},
                              {"port", 6657},
                              {"path", "/actionhistory"},
                              {"status", 200},
                              {"finished", true},
                              {"bodyBase64", QString::fromLatin1(QByteArray("\xff<b>").toBase64())}});
    for (const QJsonObject &exchange : qAsConst(exchanges))
        trace.write(QJsonDocument(exchange).toJson(QJsonDocument::Compact) + '\n');
    trace.close();

    RunResults results;
    RunResults::Environment environment;
    environment.repeat = 3;
    environment.daemon = hostile;
    results.setEnvironment(environment);
    results.setOrder({"testDelivery(refused)", "testDelivery(granted)"});
    for (int repetition = 1; repetition <= 3; ++repetition) {
        const RunResults::Origin origin{repetition, 1, repetition, QString()};
        const bool fails = repetition == 2;
        results.addLogLine("testDelivery(granted)", origin, hostile + QString(5000, 'y'));
        results.addVerdict(verdict("granted", fails ? TestVerdict::Outcome::Fail : TestVerdict::Outcome::Pass,
                                   fails ? QStringList{"Garage did not close", hostile,
                                                       R"(Expected: {"name": "Parcel", "state": "closed"})",
                                                       R"(Got: {"name": "Parcel", "state": "open"})"}
                                         : QStringList()),
                           origin);
        results.addVerdict(verdict("refused", TestVerdict::Outcome::Pass), origin);
    }
    attachTrace(&results, 2, trace.fileName());
    // The suite broke off in a row that has no verdict: its finding stands apart.
    results.addFinding(
        {DaemonFinding::Kind::Valgrind, "testRemoveDelivery", QString(), {"==7== Invalid read " + hostile}},
        {3, 1, 3, QString()});

    const QString page = HtmlReport::page(results);
    const ParsedPage parsed = parse(page);
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QCOMPARE(parsed.scripts, 1);
    // the daemon named, the message, the log line, the body, the finding
    QCOMPARE(parsed.text.count(hostile), 5);
    QVERIFY(parsed.text.contains("Finding: valgrind in testRemoveDelivery"));
    QVERIFY(parsed.text.contains(QString(QChar(0xfffd)) + "<b>"));
    QVERIFY(parsed.text.contains("cut: the first 65536 of 1048576 bytes shown"));
    QVERIFY(parsed.text.contains(QStringLiteral("... (%1 characters)").arg(hostile.size() + 5000)));
    QVERIFY(parsed.text.contains("flaky: passed 2 of 3"));
    QVERIFY(parsed.text.indexOf("Failed and flaky") < parsed.text.indexOf("testDelivery(refused)"));
    QCOMPARE(parsed.classes.value("cell"), 6);
    QCOMPARE(parsed.classes.value("fail"), 1); // the strip's cell of the failed run
    QCOMPARE(parsed.classes.value("timeline"), 1);
    QCOMPARE(parsed.classes.value("window"), 1);
    QCOMPARE(parsed.classes.value("failed"), 1);
    QVERIFY(parsed.text.contains(R"(state: expected "closed", got "open")"));
    QCOMPARE(parsed.classes.value("differs"), 2);
    QVERIFY(page.size() < 200 * 1024);
}

void TestHtmlReport::testDifferingLinesMarked_data()
{
    QTest::addColumn<QJsonObject>("actual");
    QTest::addColumn<QStringList>("marked");

    QTest::newRow("a field changed: its line in both, not one whose name begins alike")
        << QJsonObject{{"name", "Box"}, {"names", QJsonArray{"a"}}}
        << QStringList{R"(expected: "name": "Parcel",)", R"(actual: "name": "Box",)"};
    QTest::newRow("a field missing: every line of it, in the expected value only")
        << QJsonObject{{"name", "Parcel"}} << QStringList{R"(expected: "names": [)", R"(expected: "a")", "expected: ]"};
    QTest::newRow("an element unexpected: in the actual value only")
        << QJsonObject{{"name", "Parcel"}, {"names", QJsonArray{"a", "b"}}} << QStringList{R"(actual: "b")"};
}

void TestHtmlReport::testDifferingLinesMarked()
{
    QFETCH(QJsonObject, actual);
    QFETCH(QStringList, marked);

    const QJsonObject expected = {{"name", "Parcel"}, {"names", QJsonArray{"a"}}};
    QCOMPARE(markedLines(ValueDifference::between(expected, actual)), marked);
}

QTEST_GUILESS_MAIN(TestHtmlReport)
#include "tst_htmlreport.moc"
