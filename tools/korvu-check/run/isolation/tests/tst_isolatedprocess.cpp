#include "run/isolation/isolatedprocess.h"

#include <QtTest>

class TestIsolatedProcess : public QObject
{
    Q_OBJECT
private slots:
    void testProgramRunsInANamespaceWithLoopbackUp();
    void testWithoutIsolationProgramSharesTheNetwork();

private:
    // The program's network namespace and whether 127.0.0.1 is a local address there.
    static QStringList namespaceAndLoopback(const NetworkIsolation &isolation);
};

QStringList TestIsolatedProcess::namespaceAndLoopback(const NetworkIsolation &isolation)
{
    IsolatedProcess process(isolation);
    process.start("/bin/sh", {"-c", "readlink /proc/self/ns/net; grep -c '127\\.0\\.0\\.1$' /proc/self/net/fib_trie"});
    if (!process.waitForFinished() || process.exitStatus() != QProcess::NormalExit)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed().split('\n');
}

void TestIsolatedProcess::testProgramRunsInANamespaceWithLoopbackUp()
{
    const NetworkIsolation isolation = NetworkIsolation::detect();
    if (!isolation.isAvailable())
        QSKIP("no network namespaces here");
    const QStringList seen = namespaceAndLoopback(isolation);
    QCOMPARE(seen.size(), 2);
    QVERIFY(seen.at(0).startsWith("net:["));
    QVERIFY(seen.at(0) != QFile::symLinkTarget("/proc/self/ns/net").section('/', -1));
    // lo gets its address only once it is up.
    QVERIFY2(seen.at(1).toInt() > 0, qPrintable(seen.join(' ')));
}

void TestIsolatedProcess::testWithoutIsolationProgramSharesTheNetwork()
{
    const NetworkIsolation none;
    QCOMPARE(none.description(), QString("none"));
    const QStringList seen = namespaceAndLoopback(none);
    QCOMPARE(seen.value(0), QFile::symLinkTarget("/proc/self/ns/net").section('/', -1));
}

QTEST_GUILESS_MAIN(TestIsolatedProcess)
#include "tst_isolatedprocess.moc"
