#ifndef TEST_H
#define TEST_H

#include <QObject>
#include <QUuid>
#include <QVariant>

class QProcess;
class QTcpSocket;

// Base of the korvud integration suites: owns the daemon process and the
// JSON-RPC connection to it, and clears deliveries and mock things around
// every test function and data row.
class Test : public QObject
{
    Q_OBJECT
public:
    explicit Test(QObject *parent = nullptr);

protected:
    void startDaemon();
    void stopDaemon();

    QVariant requestAndWait(const QString &method, const QVariantMap &params = QVariantMap());

    QUuid createGate();
    QUuid createScanner();
    QUuid createNotificationDevice();

    void removeAllDeliveries();
    void removeMockThings();

    // Indented JSON text of a map or list, as failure messages show it.
    static QString jsonText(const QVariant &value);

private:
    QProcess *m_process = nullptr;
    QTcpSocket *m_socket = nullptr;

    void launchDaemon();
    void connectToDaemon();
    bool attemptConnection();
    void verifyHandshake();
    QUuid addMockThing(const QString &thingClassId, const QString &name);

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
};

#endif // TEST_H
