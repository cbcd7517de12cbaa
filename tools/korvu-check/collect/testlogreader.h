#ifndef KORVUCHECK_TESTLOGREADER_H
#define KORVUCHECK_TESTLOGREADER_H

#include "results/testmessage.h"
#include "results/testverdict.h"

#include <QByteArray>
#include <QVector>
#include <QXmlStreamReader>

#include <functional>

// The whole Qt Test XML log of one run, as read from a file.
struct TestLog
{
    QString testClass;
    QVector<TestVerdict> verdicts;
    QVector<TestMessage> messages;
    bool complete = false;

    QVector<TestMessage> messagesOf(const QString &function) const;
};

// Reads the Qt Test XML log of a suite (its "-o <file>,xml" output) while it
// is being written: verdicts and messages are handed on as soon as their
// elements are complete, however the output is cut into chunks.
class TestLogReader
{
public:
    using VerdictHandler = std::function<void(const TestVerdict &)>;
    using MessageHandler = std::function<void(const TestMessage &)>;

    void setVerdictHandler(const VerdictHandler &handler);
    void setMessageHandler(const MessageHandler &handler);

    // msecs: time since the suite started. A verdict's seconds are counted
    // from the previous verdict that ended a function or row.
    void addData(const QByteArray &data, qint64 msecs);

    // Whether the log's closing element was read: the run reached its end.
    bool isComplete() const;
    // Output that is no Qt Test XML log (a listing such as -functions, or
    // garbage); nothing more is read after it.
    bool hasError() const;
    QString errorString() const;

    QString testClass() const;
    // The function or row the log was last about ("" before any), and whether
    // its final verdict was read.
    QString lastTestName() const;
    bool lastTestEnded() const;
    // When the last function or row ended, in the msecs of addData().
    qint64 lastTestEndMsecs() const;

    // Reads a finished log file; false with *error set when it cannot be
    // read or is not a Qt Test XML log.
    static bool readFile(const QString &fileName, TestLog *log, QString *error);

private:
    enum class Capture { None, DataTag, Description };

    void handleToken(QXmlStreamReader::TokenType token, qint64 msecs);
    void startEntry();
    void endIncident(qint64 msecs);
    void endMessage(qint64 msecs);
    void deliverVerdict(TestVerdict::Outcome outcome, qint64 msecs);

    QXmlStreamReader m_xml;
    bool m_failed = false;
    bool m_complete = false;
    QString m_testClass;
    QString m_function;

    // The <Incident> or <Message> being read.
    QString m_entryType;
    QString m_entryLocation;
    QString m_dataTag;
    QString m_description;
    Capture m_capture = Capture::None;

    QString m_lastTestName;
    bool m_lastTestEnded = false;
    qint64 m_lastTestEndMsecs = 0;

    VerdictHandler m_verdictHandler;
    MessageHandler m_messageHandler;
};

#endif // KORVUCHECK_TESTLOGREADER_H
