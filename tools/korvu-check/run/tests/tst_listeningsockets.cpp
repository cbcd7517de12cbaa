#include "run/listeningsockets.h"

#include <QtTest>

namespace {

const QByteArray tcpHeader =
    "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode\n";
const QByteArray tcp6Header =
    "  sl  local_address                         remote_address                        st tx_queue rx_queue\n";

QByteArray tcpLine(const QByteArray &local, const QByteArray &state)
{
    return "   0: " + local + " 00000000:0000 " + state
           + " 00000000:00000000 00:00000000 00000000     0        0 1234\n";
}

} // namespace

class TestListeningSockets : public QObject
{
    Q_OBJECT
private slots:
    void testInTable_data();
    void testInTable();
};

void TestListeningSockets::testInTable_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<bool>("listening");

    QTest::newRow("empty table") << tcpHeader << false;
    QTest::newRow("loopback, listening") << tcpHeader + tcpLine("0100007F:08AE", "0A") << true;
    QTest::newRow("any address, listening") << tcpHeader + tcpLine("00000000:08AE", "0A") << true;
    QTest::newRow("loopback, connected only") << tcpHeader + tcpLine("0100007F:08AE", "01") << false;
    QTest::newRow("another port") << tcpHeader + tcpLine("0100007F:19FF", "0A") << false;
    QTest::newRow("another loopback address") << tcpHeader + tcpLine("0200007F:08AE", "0A") << false;
    QTest::newRow("among other sockets") << tcpHeader + tcpLine("0100007F:19FF", "0A") + tcpLine("0100007F:08AE", "0A")
                                         << true;
    QTest::newRow("IPv6 any address") << tcp6Header + tcpLine("00000000000000000000000000000000:08AE", "0A") << true;
    QTest::newRow("IPv6 loopback only") << tcp6Header + tcpLine("00000000000000000000000001000000:08AE", "0A") << false;
}

void TestListeningSockets::testInTable()
{
    QFETCH(QByteArray, table);
    QFETCH(bool, listening);
    QCOMPARE(ListeningSockets::inTable(table, 2222), listening);
}

QTEST_GUILESS_MAIN(TestListeningSockets)
#include "tst_listeningsockets.moc"
