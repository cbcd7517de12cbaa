#include "mockdevice.h"

#include "deliverymockslogging.h"
#include "httpserver.h"
#include "logtext.h"
#include "thing.h"

MockDevice::MockDevice(Thing *thing, QObject *parent)
    : QObject(parent)
    , m_thing(thing)
    , m_server(new HttpServer(this))
{
    m_server->addRoute(QStringLiteral("/actionhistory"),
                       [this](const HttpRequest &request) { return handleActionHistory(request); });
    if (!thing->thingClass().eventTypes().isEmpty()) {
        m_server->addRoute(QStringLiteral("/generateevent"),
                           [this](const HttpRequest &request) { return handleGenerateEvent(request); });
    }
}

MockDevice::~MockDevice() = default;

bool MockDevice::start(quint16 port, QString *errorMessage)
{
    if (m_server->listen(port))
        return true;
    if (errorMessage)
        *errorMessage = m_server->errorString();
    return false;
}

void MockDevice::stop() { m_server->close(); }

void MockDevice::setResponseFilter(const HttpServer::ResponseFilter &filter) { m_server->setResponseFilter(filter); }

void MockDevice::recordAction(const Action &action) { m_actionHistory.append(action.actionTypeId); }

QList<QUuid> MockDevice::actionHistory() const { return m_actionHistory; }

HttpResponse MockDevice::handleActionHistory(const HttpRequest &request) const
{
    Q_UNUSED(request)
    QByteArray body;
    for (const QUuid &actionTypeId : m_actionHistory)
        body += actionTypeId.toByteArray() + '\n';
    return HttpResponse(200, body);
}

HttpResponse MockDevice::handleGenerateEvent(const HttpRequest &request)
{
    if (!m_thing)
        return HttpResponse::fromStatus(503);

    const QUrlQuery query = request.query();
    const QUuid eventTypeId(query.queryItemValue(QStringLiteral("eventTypeId"), QUrl::FullyDecoded));
    if (!m_thing->thingClass().hasEventType(eventTypeId))
        return HttpResponse(400, "Unknown eventTypeId\n");

    QVariantMap params;
    const EventType eventType = m_thing->thingClass().eventType(eventTypeId);
    for (const QString &paramName : eventType.paramNames) {
        if (!query.hasQueryItem(paramName))
            return HttpResponse(400, "Missing parameter " + paramName.toUtf8() + '\n');
        params.insert(paramName, query.queryItemValue(paramName, QUrl::FullyDecoded));
    }

    qCDebug(dcDeliveryMocks).noquote() << LogText::shortened(m_thing->name()) << "emits event" << eventType.name
                                       << LogText::shortened(params);
    // Synchronous: whatever the daemon does about the event is done before
    // the reply goes out, so the histories read after it are complete.
    m_thing->emitEvent(eventTypeId, params);
    return HttpResponse(200, "Event emitted\n");
}
