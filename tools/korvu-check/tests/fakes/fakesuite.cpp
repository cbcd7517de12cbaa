// Stands in for the delivery suite: a QtTest program with a pass, a failing
// row, a skip, and a look at the run tree it was started in. With
// FAKE_SUITE_FLAKY_MARKER set, testDelivery(plain) fails until it has made
// that file: the first run fails, later ones pass.
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>

class FakeSuite : public QObject
{
    Q_OBJECT
private slots:
    void testRunTree()
    {
        const QString cwd = QDir::currentPath();
        qDebug() << "Running in:" << cwd;
        QVERIFY(cwd.endsWith(QLatin1String("/tests/auto/deliveries")));
        QVERIFY(QFileInfo(cwd + QStringLiteral("/../../mocks/")).isDir());
        QVERIFY(QFileInfo(cwd + QStringLiteral("/../../../experience/")).isDir());
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("korvud"));
        QCOMPARE(QFileInfo(QFileInfo(daemon).absolutePath()).canonicalFilePath(),
                 QFileInfo(cwd + QStringLiteral("/../../../bin")).canonicalFilePath());
        const QDir data(qEnvironmentVariable("KORVU_DATA_DIR"));
        QVERIFY(data.exists());
        QVERIFY(data.isEmpty());
        QCOMPARE(qEnvironmentVariable("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }

    void testDelivery_data()
    {
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("plain") << true;
        QTest::newRow("code (with spaces), late") << false;
    }

    void testDelivery()
    {
        QFETCH(bool, succeeds);
        const QString marker = qEnvironmentVariable("FAKE_SUITE_FLAKY_MARKER");
        if (succeeds && !marker.isEmpty() && !QFileInfo::exists(marker)) {
            QFile(marker).open(QIODevice::WriteOnly);
            QFAIL("first run");
        }
        QVERIFY2(succeeds, "delivery not granted\nsecond line");
    }

    void testSkipped() { QSKIP("no scanner here"); }

    void testCrash()
    {
        if (qEnvironmentVariableIsSet("FAKE_SUITE_CRASH"))
            std::raise(SIGKILL);
    }
};

QTEST_GUILESS_MAIN(FakeSuite)
#include "fakesuite.moc"
