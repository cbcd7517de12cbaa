#ifndef KORVU_SYSTEM_DELIVERYWRITER_H
#define KORVU_SYSTEM_DELIVERYWRITER_H

#include <QList>
#include <QString>
#include <QThread>
#include <QUuid>

#include <atomic>

// One client that adds deliveries as fast as it can, on a connection of its
// own in a thread of its own. It keeps up to `window` requests in flight and
// checks that every reply is the next one it waits for, a success, with a
// delivery id. It ends after `count` acknowledgements (0: never), when asked
// to stop, or when the connection goes away.
class DeliveryWriter : public QThread
{
    Q_OBJECT
public:
    struct Acknowledgement
    {
        QString name;
        QUuid deliveryId;
    };

    DeliveryWriter(int clientIndex, const QUuid &gateId, const QUuid &scannerId, int count, int window,
                   std::atomic<int> *acknowledged, QObject *parent = nullptr);

    // Sends nothing more; what is in flight is still read.
    void stop();

    // Valid once the thread has finished.
    QList<Acknowledgement> acknowledgements() const;
    int sentCount() const;
    // The first broken expectation; empty when there was none.
    QString failure() const;
    bool connectionLost() const;

    // The unique name of the client's n-th delivery, counted from 1.
    static QString deliveryName(int clientIndex, int n);

protected:
    void run() override;

private:
    QByteArray request(int n) const;
    bool confirm(int n, const QJsonObject &reply);

    int m_clientIndex;
    QUuid m_gateId;
    QUuid m_scannerId;
    int m_count;
    int m_window;
    std::atomic<int> *m_acknowledged;
    std::atomic<bool> m_stopRequested{false};

    QList<Acknowledgement> m_acknowledgements;
    int m_sent = 0;
    QString m_failure;
    bool m_connectionLost = false;
};

#endif // KORVU_SYSTEM_DELIVERYWRITER_H
