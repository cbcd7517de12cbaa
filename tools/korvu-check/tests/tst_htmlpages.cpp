#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <memory>

namespace {

// Browsers started at once: each takes a good part of a core and memory.
const int parallelBrowsers = 3;
const int browserTimeoutMs = 60000;

QString pagePath(const QString &page) { return QDir(QStringLiteral(KORVU_REPORT_PAGES)).filePath(page + ".html"); }

} // namespace

// The pages of real runs (written by make-report-pages) as headless Chromium
// lays them out, with scripts and without: what a reader must find there,
// and no error in the browser's console.
class TestHtmlPages : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void testPage_data();
    void testPage();

private:
    struct Dump
    {
        QString dom;
        QString consoleLines;
        QString error;
    };

    QHash<QString, Dump> m_dumps; // by "page scripts" and "page no scripts"
    // Browser profiles, and the pages under a policy that blocks scripts.
    QTemporaryDir m_profiles;
};

void TestHtmlPages::initTestCase()
{
    QVERIFY(m_profiles.isValid());
    struct Job
    {
        QString key;
        QStringList arguments;
        std::unique_ptr<QProcess> process;
    };
    std::vector<Job> jobs;
    for (const QString &page : QStringList{"passing", "failing", "flaky", "hostile"}) {
        for (const bool scripts : {true, false}) {
            const QString key = page + (scripts ? " scripts" : " no scripts");
            const QString name = QString(key).replace(' ', '-');
            // Headless Chromium dumps no DOM with scripts switched off, so the
            // page goes without them the way artifact servers serve it: under
            // a policy that blocks scripts.
            QString opened = pagePath(page);
            if (!scripts) {
                QFile file(opened);
                QVERIFY(file.open(QIODevice::ReadOnly));
                QByteArray html = file.readAll();
                html.replace("<head>",
                             "<head><meta http-equiv=\"Content-Security-Policy\" content=\"script-src 'none'\"/>");
                opened = m_profiles.filePath(name + ".html");
                QFile blocked(opened);
                QVERIFY(blocked.open(QIODevice::WriteOnly) && blocked.write(html) == html.size());
            }
            const QStringList arguments = {"--headless",
                                           "--no-sandbox",
                                           "--disable-gpu",
                                           "--enable-logging=stderr",
                                           "--v=0",
                                           "--window-size=1280,800",
                                           "--user-data-dir=" + m_profiles.filePath(name),
                                           "--dump-dom",
                                           QUrl::fromLocalFile(opened).toString()};
            jobs.push_back({key, arguments, std::make_unique<QProcess>()});
        }
    }
    for (size_t first = 0; first < jobs.size(); first += parallelBrowsers) {
        const size_t end = qMin(jobs.size(), first + parallelBrowsers);
        for (size_t i = first; i < end; ++i)
            jobs[i].process->start(QStringLiteral(KORVU_CHROMIUM), jobs[i].arguments);
        for (size_t i = first; i < end; ++i) {
            QProcess &process = *jobs[i].process;
            Dump dump;
            if (!process.waitForFinished(browserTimeoutMs) || process.exitCode() != 0)
                dump.error =
                    QStringLiteral("chromium: %1, status %2").arg(process.errorString()).arg(process.exitCode());
            dump.dom = QString::fromUtf8(process.readAllStandardOutput());
            const QStringList errLines = QString::fromUtf8(process.readAllStandardError()).split('\n');
            for (const QString &line : errLines) {
                if (line.contains(":CONSOLE") && !line.contains("Content Security Policy"))
                    dump.consoleLines += line + '\n';
            }
            m_dumps.insert(jobs[i].key, dump);
        }
    }
}

void TestHtmlPages::testPage_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");

    QTest::newRow("all passing") << "passing"
                                 << QStringList{"class=\"row pass\"", "testAddDelivery(", "class=\"timeline\"",
                                                "class=\"window\"", "class=\"mark poll closed\""}
                                 << QStringList{"class=\"row fail", "Failed and flaky", "class=\"failed\""};
    QTest::newRow("a granted row failing")
        << "failing"
        << QStringList{"Failed and flaky",         "class=\"row fail\"",         "Notification action not as expected.",
                       "testdeliveries.cpp(",      "GET :6657/actionhistory",    "0da90af2 = code scanned",
                       "no notification was sent", "class=\"mark scan\"",        "class=\"mark history\"",
                       "class=\"mark poll open\"", "class=\"mark poll closed\"", "class=\"window\"",
                       "class=\"failed\""}
        << QStringList{"class=\"row flaky"};
    QTest::newRow("flaky under --repeat")
        << "flaky" << QStringList{"class=\"row flaky\"", "flaky: passed 2 of 3", "class=\"cell fail\"",
                                  "run 2: FAIL",         "run 3: PASS",          "no notification was sent"}
        << QStringList{"class=\"row fail\""};
    QTest::newRow("hostile history")
        << "hostile"
        << QStringList{"But action history is: &lt;script&gt;alert(\"x\")&lt;/script&gt; 'q' &amp; \uFFFD\uFFFD",
                       "cut: the first 65536 of 1048613 bytes shown"}
        << QStringList{"<script>alert"};
}

void TestHtmlPages::testPage()
{
    QFETCH(QString, page);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);

    QFile file(pagePath(page));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    QXmlStreamReader xml(&file);
    while (!xml.atEnd())
        xml.readNext();
    QVERIFY2(!xml.hasError(), qPrintable(QStringLiteral("%1 at line %2").arg(xml.errorString()).arg(xml.lineNumber())));
    QVERIFY2(file.size() < 200 * 1024, qPrintable(QString::number(file.size())));

    for (const bool scripts : {true, false}) {
        const Dump dump = m_dumps.value(page + (scripts ? " scripts" : " no scripts"));
        QVERIFY2(dump.error.isEmpty(), qPrintable(dump.error));
        QVERIFY2(dump.consoleLines.isEmpty(), qPrintable(dump.consoleLines));
        QCOMPARE(dump.dom.contains("data-script=\"ready\""), scripts);
        QCOMPARE(dump.dom.contains("class=\"filters\""), scripts);
        QVERIFY(!dump.dom.contains("data-script-error=\""));
        QCOMPARE(dump.dom.count("<script"), 1);
        // Nothing, hostile text included, makes a 1280 px window scroll sideways.
        if (scripts)
            QVERIFY(dump.dom.contains("data-scrolls-sideways=\"false\""));
        for (const QString &text : present)
            QVERIFY2(dump.dom.contains(text), qPrintable(text));
        for (const QString &text : absent)
            QVERIFY2(!dump.dom.contains(text), qPrintable(text));
    }
}

QTEST_GUILESS_MAIN(TestHtmlPages)
#include "tst_htmlpages.moc"
