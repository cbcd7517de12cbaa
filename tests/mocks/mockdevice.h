#ifndef DELIVERYMOCKS_MOCKDEVICE_H
#define DELIVERYMOCKS_MOCKDEVICE_H

#include "httprequest.h"
#include "httpresponse.h"
#include "httpserver.h"
#include "types.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUuid>

class Thing;

// The simulated hardware behind one mock thing: remembers the actions run on
// it and offers them, and for things with events a way to trigger them, on
// an HTTP control port.
//   GET /actionhistory                       one braced action type id per line, oldest first
//   GET /generateevent?eventTypeId=..&<param>=..  emits the event, then replies
class MockDevice : public QObject
{
    Q_OBJECT
public:
    explicit MockDevice(Thing *thing, QObject *parent = nullptr);
    ~MockDevice() override;

    bool start(quint16 port, QString *errorMessage);
    void stop();
    // See HttpServer::setResponseFilter().
    void setResponseFilter(const HttpServer::ResponseFilter &filter);

    void recordAction(const Action &action);
    QList<QUuid> actionHistory() const;

private:
    HttpResponse handleActionHistory(const HttpRequest &request) const;
    HttpResponse handleGenerateEvent(const HttpRequest &request);

    QPointer<Thing> m_thing;
    HttpServer *m_server;
    QList<QUuid> m_actionHistory;
};

#endif // DELIVERYMOCKS_MOCKDEVICE_H
