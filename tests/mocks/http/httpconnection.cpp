#include "httpconnection.h"

#include "deliverymockslogging.h"

#include <QTcpSocket>

namespace {

constexpr qint64 readChunkSize = 16 * 1024;
// Stop reading while this much of our output waits for a client that does not
// read, so pipelined requests cannot grow our buffers without bound.
constexpr qint64 maxPendingOutput = 256 * 1024;

} // namespace

HttpConnection::HttpConnection(QTcpSocket *socket, const Dispatcher &dispatcher, const Timeouts &timeouts,
                               QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_dispatcher(dispatcher)
    , m_timeouts(timeouts)
{
    m_socket->setParent(this);
    m_socket->setReadBufferSize(readChunkSize * 4);
    http_parser_init(&m_parser, HTTP_REQUEST);
    m_parser.data = this;

    m_phaseTimer.setSingleShot(true);
    connect(&m_phaseTimer, &QTimer::timeout, this, &HttpConnection::handleTimeout);
    enterPhase(Phase::Idle);

    connect(m_socket, &QTcpSocket::readyRead, this, &HttpConnection::processIncoming);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &HttpConnection::processIncoming);
    connect(m_socket, &QTcpSocket::disconnected, this, &HttpConnection::finish);
}

HttpConnection::~HttpConnection() = default;

HttpConnection::Phase HttpConnection::phase() const { return m_phase; }
const QElapsedTimer &HttpConnection::phaseStarted() const { return m_phaseStarted; }

void HttpConnection::abort()
{
    m_socket->abort();
    finish();
}

void HttpConnection::processIncoming()
{
    // Handling a request may run code that spins an event loop; the outer
    // call picks up whatever arrives meanwhile.
    if (m_processing)
        return;
    if (m_phase == Phase::Closing) {
        m_socket->readAll();
        return;
    }
    m_processing = true;
    while (m_phase != Phase::Closing && !isWriteBacklogged()) {
        if (m_pending.isEmpty())
            m_pending = m_socket->read(readChunkSize);
        if (m_pending.isEmpty() || !parsePending())
            break;
    }
    m_processing = false;
}

// Feeds the pending bytes to the parser up to the end of the next request.
// Returns false when the connection is closing.
bool HttpConnection::parsePending()
{
    const size_t parsed = http_parser_execute(&m_parser, parserSettings(), m_pending.constData(),
                                              size_t(m_pending.size()));
    m_pending.remove(0, int(parsed));

    const http_errno error = HTTP_PARSER_ERRNO(&m_parser);
    if (error == HPE_PAUSED) {
        http_parser_pause(&m_parser, 0);
        handleRequest();
        return m_phase != Phase::Closing;
    }
    if (error != HPE_OK) {
        qCDebug(dcDeliveryMocks) << "Rejecting HTTP request:" << http_errno_description(error);
        rejectRequest(m_limitStatus ? m_limitStatus : HTTP_STATUS_BAD_REQUEST);
        return false;
    }
    return true;
}

void HttpConnection::handleRequest()
{
    if (!m_request.parseTarget()) {
        rejectRequest(HTTP_STATUS_BAD_REQUEST);
        return;
    }
    enterPhase(Phase::Handling);
    const HttpRequest request = m_request;
    const HttpResponse response = m_dispatcher(request);
    // The handler may have closed us (the device went away meanwhile).
    if (m_phase == Phase::Closing)
        return;
    send(response, request.keepAlive(), request.method() != "HEAD");
    if (request.keepAlive())
        enterPhase(Phase::Idle);
    else
        closeAfterReply();
}

void HttpConnection::rejectRequest(int statusCode)
{
    send(HttpResponse::fromStatus(statusCode), false);
    closeAfterReply();
}

void HttpConnection::send(const HttpResponse &response, bool keepAlive, bool withBody)
{
    m_socket->write(response.toByteArray(keepAlive, withBody));
}

void HttpConnection::closeAfterReply()
{
    enterPhase(Phase::Closing);
    m_pending.clear();
    // Unread input at close time would make the kernel reset the connection,
    // and the client could lose the reply.
    m_socket->readAll();
    m_socket->disconnectFromHost();
}

void HttpConnection::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_phase = Phase::Closing;
    m_phaseTimer.stop();
    emit closed();
    deleteLater();
}

void HttpConnection::enterPhase(Phase phase)
{
    m_phase = phase;
    m_phaseStarted.start();
    switch (phase) {
    case Phase::Idle:
        m_phaseTimer.start(m_timeouts.idleMs);
        break;
    case Phase::Receiving:
    case Phase::Closing:
        m_phaseTimer.start(m_timeouts.requestMs);
        break;
    case Phase::Handling:
        m_phaseTimer.stop();
        break;
    }
}

void HttpConnection::handleTimeout()
{
    switch (m_phase) {
    case Phase::Idle:
        qCDebug(dcDeliveryMocks) << "HTTP connection idle for" << m_timeouts.idleMs << "ms, closing";
        abort();
        break;
    case Phase::Receiving:
        qCDebug(dcDeliveryMocks) << "HTTP request still incomplete after" << m_timeouts.requestMs << "ms, closing";
        rejectRequest(HTTP_STATUS_REQUEST_TIMEOUT);
        break;
    case Phase::Closing:
        // The client does not take its last reply.
        abort();
        break;
    case Phase::Handling:
        break;
    }
}

bool HttpConnection::isWriteBacklogged() const { return m_socket->bytesToWrite() > maxPendingOutput; }

const http_parser_settings *HttpConnection::parserSettings()
{
    static const http_parser_settings settings = [] {
        http_parser_settings s;
        http_parser_settings_init(&s);
        s.on_message_begin = &HttpConnection::onMessageBegin;
        s.on_url = &HttpConnection::onUrl;
        s.on_header_field = &HttpConnection::onHeaderField;
        s.on_header_value = &HttpConnection::onHeaderValue;
        s.on_body = &HttpConnection::onBody;
        s.on_message_complete = &HttpConnection::onMessageComplete;
        return s;
    }();
    return &settings;
}

HttpConnection *HttpConnection::connectionOf(http_parser *parser)
{
    return static_cast<HttpConnection *>(parser->data);
}

int HttpConnection::onMessageBegin(http_parser *parser)
{
    HttpConnection *connection = connectionOf(parser);
    connection->m_request = HttpRequest();
    connection->m_headerBytes = 0;
    connection->enterPhase(Phase::Receiving);
    return 0;
}

int HttpConnection::onUrl(http_parser *parser, const char *data, size_t length)
{
    HttpConnection *connection = connectionOf(parser);
    if (connection->rejectWhenOver(connection->m_request.targetLength() + int(length), maxTargetLength,
                                   HTTP_STATUS_URI_TOO_LONG))
        return -1;
    connection->m_request.appendToTarget(data, int(length));
    return 0;
}

int HttpConnection::onHeaderField(http_parser *parser, const char *data, size_t length)
{
    HttpConnection *connection = connectionOf(parser);
    connection->m_headerBytes += int(length);
    if (connection->rejectWhenOver(connection->m_headerBytes, maxHeaderBytes,
                                   HTTP_STATUS_REQUEST_HEADER_FIELDS_TOO_LARGE))
        return -1;
    connection->m_request.appendToHeaderName(data, int(length));
    return 0;
}

int HttpConnection::onHeaderValue(http_parser *parser, const char *data, size_t length)
{
    HttpConnection *connection = connectionOf(parser);
    connection->m_headerBytes += int(length);
    if (connection->rejectWhenOver(connection->m_headerBytes, maxHeaderBytes,
                                   HTTP_STATUS_REQUEST_HEADER_FIELDS_TOO_LARGE))
        return -1;
    connection->m_request.appendToHeaderValue(data, int(length));
    return 0;
}

int HttpConnection::onBody(http_parser *parser, const char *data, size_t length)
{
    HttpConnection *connection = connectionOf(parser);
    if (connection->rejectWhenOver(connection->m_request.body().size() + int(length), maxBodyLength,
                                   HTTP_STATUS_PAYLOAD_TOO_LARGE))
        return -1;
    connection->m_request.appendToBody(data, int(length));
    return 0;
}

int HttpConnection::onMessageComplete(http_parser *parser)
{
    HttpConnection *connection = connectionOf(parser);
    connection->m_request.setMethod(http_method_str(static_cast<http_method>(parser->method)));
    connection->m_request.setVersion(parser->http_major, parser->http_minor);
    // After an upgrade request the stream is no longer HTTP; we never upgrade.
    connection->m_request.setKeepAlive(http_should_keep_alive(parser) && !parser->upgrade);
    // Stop after each request so it is answered before the next one is parsed.
    http_parser_pause(parser, 1);
    return 0;
}

int HttpConnection::rejectWhenOver(int size, int limit, int statusCode)
{
    if (size <= limit)
        return 0;
    m_limitStatus = statusCode;
    return 1;
}
