#include "traffictrace.h"
#include "tracefields.h"

#include <QAbstractSocket>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaEnum>
#include <QNetworkReply>
#include <QProcess>
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#include <QStringDecoder>
#else
#include <QTextCodec>
#endif
#include <QtTest>

namespace {

// The open trace file, or none when the variable is unset or the file cannot
// be written.
class TraceFile
{
public:
    TraceFile()
    {
        const QString fileName = qEnvironmentVariable(TraceFields::fileVariable);
        if (fileName.isEmpty())
            return;
        m_file.setFileName(fileName);
        // Unbuffered: each line goes out in one write() of its own.
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            qWarning().noquote() << "Cannot write the traffic trace to" << fileName << ':' << m_file.errorString();
    }

    bool isOpen() const { return m_file.isOpen(); }
    void write(const QByteArray &line) { m_file.write(line); }

private:
    QFile m_file;
};

TraceFile &traceFile()
{
    static TraceFile file;
    return file;
}

bool isEnabled() { return traceFile().isOpen(); }

TrafficTrace::Phase currentPhase = TrafficTrace::Phase::Test;

const char *phaseName(TrafficTrace::Phase phase)
{
    switch (phase) {
    case TrafficTrace::Phase::Init:
        return TraceFields::initPhase;
    case TrafficTrace::Phase::Cleanup:
        return TraceFields::cleanupPhase;
    case TrafficTrace::Phase::Test:
        break;
    }
    return TraceFields::testPhase;
}

qint64 monotonicMsecs()
{
    QElapsedTimer clock;
    clock.start();
    return clock.msecsSinceReference();
}

template<typename Enum>
QString enumName(Enum value)
{
    return QString::fromLatin1(QMetaEnum::fromType<Enum>().valueToKey(value));
}

void insertBytes(QJsonObject *entry, const QString &field, const QByteArray &bytes)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (!decoder.hasError())
#else
    QTextCodec::ConverterState state;
    const QString text = QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars == 0)
#endif
        entry->insert(field, text);
    else
        entry->insert(field + QLatin1String(TraceFields::base64Suffix), QString::fromLatin1(bytes.toBase64()));
}

void write(const QString &kind, QJsonObject entry)
{
    entry.insert(QLatin1String(TraceFields::time), monotonicMsecs());
    entry.insert(QLatin1String(TraceFields::function), QString::fromUtf8(QTest::currentTestFunction()));
    entry.insert(QLatin1String(TraceFields::row), QString::fromUtf8(QTest::currentDataTag()));
    entry.insert(QLatin1String(TraceFields::phase), QString::fromLatin1(phaseName(currentPhase)));
    entry.insert(QLatin1String(TraceFields::kind), kind);
    traceFile().write(QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n');
}

} // namespace

void TrafficTrace::setPhase(Phase phase) { currentPhase = phase; }

void TrafficTrace::rpc(const QByteArray &request, const QByteArray &reply, qint64 waitMs)
{
    if (!isEnabled())
        return;
    QJsonObject entry{{QLatin1String(TraceFields::waitMs), waitMs}};
    insertBytes(&entry, QLatin1String(TraceFields::request), request);
    insertBytes(&entry, QLatin1String(TraceFields::reply), reply);
    write(QLatin1String(TraceFields::rpcKind), entry);
}

void TrafficTrace::http(QNetworkReply *reply, qint64 waitMs)
{
    if (!isEnabled())
        return;
    const QUrl url = reply->url();
    QJsonObject entry{
        {QLatin1String(TraceFields::port), url.port()},
        {QLatin1String(TraceFields::method), QStringLiteral("GET")},
        {QLatin1String(TraceFields::path),
         url.path(QUrl::FullyEncoded) + (url.hasQuery() ? '?' + url.query(QUrl::FullyEncoded) : QString())},
        {QLatin1String(TraceFields::status), reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()},
        {QLatin1String(TraceFields::error), enumName(reply->error())},
        {QLatin1String(TraceFields::finished), reply->isFinished()},
        {QLatin1String(TraceFields::waitMs), waitMs},
    };
    insertBytes(&entry, QLatin1String(TraceFields::body), reply->peek(reply->bytesAvailable()));
    write(QLatin1String(TraceFields::httpKind), entry);
}

void TrafficTrace::connectionAttempt(const QAbstractSocket *socket, bool connected, qint64 waitMs)
{
    if (!isEnabled())
        return;
    write(QLatin1String(TraceFields::connectKind),
          {
              {QLatin1String(TraceFields::connected), connected},
              {QLatin1String(TraceFields::error), connected ? QString() : enumName(socket->error())},
              {QLatin1String(TraceFields::waitMs), waitMs},
          });
}

void TrafficTrace::daemonStarted(QProcess *process, const QStringList &arguments)
{
    if (!isEnabled())
        return;
    const qint64 pid = process->processId();
    write(QLatin1String(TraceFields::daemonStartKind),
          {
              {QLatin1String(TraceFields::program), process->program()},
              {QLatin1String(TraceFields::arguments), QJsonArray::fromStringList(arguments)},
              {QLatin1String(TraceFields::pid), pid},
              {QLatin1String(TraceFields::started), process->state() == QProcess::Running},
          });
    QObject::connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), process,
                     [pid](int exitCode, QProcess::ExitStatus exitStatus) {
                         write(QLatin1String(TraceFields::daemonExitKind),
                               {
                                   {QLatin1String(TraceFields::pid), pid},
                                   {QLatin1String(TraceFields::exitStatus),
                                    exitStatus == QProcess::NormalExit ? QLatin1String(TraceFields::normalExit)
                                                                       : QLatin1String(TraceFields::crashExit)},
                                   {QLatin1String(TraceFields::exitCode), exitCode},
                               });
                     });
}

void TrafficTrace::daemonKilled(const QProcess *process)
{
    if (!isEnabled())
        return;
    write(QLatin1String(TraceFields::daemonKillKind), {{QLatin1String(TraceFields::pid), process->processId()}});
}
