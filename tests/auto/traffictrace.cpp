#include "traffictrace.h"

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

const char traceFileVariable[] = "KORVU_TRACE_FILE";

// The open trace file, or none when the variable is unset or the file cannot
// be written.
class TraceFile
{
public:
    TraceFile()
    {
        const QString fileName = qEnvironmentVariable(traceFileVariable);
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
        return "init";
    case TrafficTrace::Phase::Cleanup:
        return "cleanup";
    case TrafficTrace::Phase::Test:
        break;
    }
    return "test";
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
        entry->insert(field + QStringLiteral("Base64"), QString::fromLatin1(bytes.toBase64()));
}

void write(const QString &kind, QJsonObject entry)
{
    entry.insert(QStringLiteral("t"), monotonicMsecs());
    entry.insert(QStringLiteral("function"), QString::fromUtf8(QTest::currentTestFunction()));
    entry.insert(QStringLiteral("row"), QString::fromUtf8(QTest::currentDataTag()));
    entry.insert(QStringLiteral("phase"), QString::fromLatin1(phaseName(currentPhase)));
    entry.insert(QStringLiteral("kind"), kind);
    traceFile().write(QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n');
}

} // namespace

void TrafficTrace::setPhase(Phase phase) { currentPhase = phase; }

void TrafficTrace::rpc(const QByteArray &request, const QByteArray &reply, qint64 waitMs)
{
    if (!isEnabled())
        return;
    QJsonObject entry{{QStringLiteral("waitMs"), waitMs}};
    insertBytes(&entry, QStringLiteral("request"), request);
    insertBytes(&entry, QStringLiteral("reply"), reply);
    write(QStringLiteral("rpc"), entry);
}

void TrafficTrace::http(QNetworkReply *reply, qint64 waitMs)
{
    if (!isEnabled())
        return;
    const QUrl url = reply->url();
    QJsonObject entry{
        {QStringLiteral("port"), url.port()},
        {QStringLiteral("method"), QStringLiteral("GET")},
        {QStringLiteral("path"),
         url.path(QUrl::FullyEncoded) + (url.hasQuery() ? '?' + url.query(QUrl::FullyEncoded) : QString())},
        {QStringLiteral("status"), reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()},
        {QStringLiteral("error"), enumName(reply->error())},
        {QStringLiteral("finished"), reply->isFinished()},
        {QStringLiteral("waitMs"), waitMs},
    };
    insertBytes(&entry, QStringLiteral("body"), reply->peek(reply->bytesAvailable()));
    write(QStringLiteral("http"), entry);
}

void TrafficTrace::connectionAttempt(const QAbstractSocket *socket, bool connected, qint64 waitMs)
{
    if (!isEnabled())
        return;
    write(QStringLiteral("connect"), {
                                         {QStringLiteral("connected"), connected},
                                         {QStringLiteral("error"), connected ? QString() : enumName(socket->error())},
                                         {QStringLiteral("waitMs"), waitMs},
                                     });
}

void TrafficTrace::daemonStarted(QProcess *process, const QStringList &arguments)
{
    if (!isEnabled())
        return;
    const qint64 pid = process->processId();
    write(QStringLiteral("daemonStart"), {
                                             {QStringLiteral("program"), process->program()},
                                             {QStringLiteral("arguments"), QJsonArray::fromStringList(arguments)},
                                             {QStringLiteral("pid"), pid},
                                             {QStringLiteral("started"), process->state() == QProcess::Running},
                                         });
    QObject::connect(
        process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), process,
        [pid](int exitCode, QProcess::ExitStatus exitStatus) {
            write(QStringLiteral("daemonExit"),
                  {
                      {QStringLiteral("pid"), pid},
                      {QStringLiteral("exitStatus"),
                       exitStatus == QProcess::NormalExit ? QStringLiteral("normal") : QStringLiteral("crash")},
                      {QStringLiteral("exitCode"), exitCode},
                  });
        });
}

void TrafficTrace::daemonKilled(const QProcess *process)
{
    if (!isEnabled())
        return;
    write(QStringLiteral("daemonKill"), {{QStringLiteral("pid"), process->processId()}});
}
