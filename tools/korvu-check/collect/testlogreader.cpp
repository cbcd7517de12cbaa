#include "collect/testlogreader.h"

#include <QFile>

namespace {

const QLatin1String testCaseElement("TestCase");
const QLatin1String functionElement("TestFunction");
const QLatin1String incidentElement("Incident");
const QLatin1String messageElement("Message");
const QLatin1String dataTagElement("DataTag");
const QLatin1String descriptionElement("Description");
// Qt 5 logs a skip as a message; it ends its function or row like a verdict.
const QLatin1String skipMessageType("skip");

QStringList lines(const QString &text) { return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n')); }

} // namespace

QVector<TestMessage> TestLog::messagesOf(const QString &function) const
{
    QVector<TestMessage> selected;
    for (const TestMessage &message : messages) {
        if (message.function == function)
            selected.append(message);
    }
    return selected;
}

void TestLogReader::setVerdictHandler(const VerdictHandler &handler) { m_verdictHandler = handler; }

void TestLogReader::setMessageHandler(const MessageHandler &handler) { m_messageHandler = handler; }

void TestLogReader::addData(const QByteArray &data, qint64 msecs)
{
    if (m_failed)
        return;
    m_xml.addData(data);
    for (;;) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
            return; // the rest of the element is still to come
        if (m_xml.hasError()) {
            m_failed = true;
            return;
        }
        handleToken(token, msecs);
        if (token == QXmlStreamReader::EndDocument)
            return;
    }
}

bool TestLogReader::isComplete() const { return m_complete; }

bool TestLogReader::hasError() const { return m_failed; }

QString TestLogReader::errorString() const
{
    return m_failed ? QStringLiteral("%1 at line %2").arg(m_xml.errorString()).arg(m_xml.lineNumber()) : QString();
}

QString TestLogReader::testClass() const { return m_testClass; }

QString TestLogReader::lastTestName() const { return m_lastTestName; }

bool TestLogReader::lastTestEnded() const { return m_lastTestEnded; }

qint64 TestLogReader::lastTestEndMsecs() const { return m_lastTestEndMsecs; }

bool TestLogReader::readFile(const QString &fileName, TestLog *log, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(fileName, file.errorString());
        return false;
    }
    TestLogReader reader;
    reader.setVerdictHandler([log](const TestVerdict &verdict) { log->verdicts.append(verdict); });
    reader.setMessageHandler([log](const TestMessage &message) { log->messages.append(message); });
    reader.addData(file.readAll(), 0);
    log->testClass = reader.testClass();
    log->complete = reader.isComplete();
    if (reader.hasError()) {
        *error = QStringLiteral("%1: %2").arg(fileName, reader.errorString());
        return false;
    }
    return true;
}

void TestLogReader::handleToken(QXmlStreamReader::TokenType token, qint64 msecs)
{
    switch (token) {
    case QXmlStreamReader::StartElement: {
        const auto name = m_xml.name();
        if (name == testCaseElement) {
            m_testClass = m_xml.attributes().value(QLatin1String("name")).toString();
        } else if (name == functionElement) {
            m_function = m_xml.attributes().value(QLatin1String("name")).toString();
            m_lastTestName = m_function;
            m_lastTestEnded = false;
        } else if (name == incidentElement || name == messageElement) {
            startEntry();
        } else if (name == dataTagElement) {
            m_capture = Capture::DataTag;
        } else if (name == descriptionElement) {
            m_capture = Capture::Description;
        }
        break;
    }
    case QXmlStreamReader::Characters:
        if (m_capture == Capture::DataTag)
            m_dataTag += m_xml.text();
        else if (m_capture == Capture::Description)
            m_description += m_xml.text();
        break;
    case QXmlStreamReader::EndElement: {
        const auto name = m_xml.name();
        m_capture = Capture::None;
        if (name == incidentElement)
            endIncident(msecs);
        else if (name == messageElement)
            endMessage(msecs);
        else if (name == functionElement)
            m_function.clear();
        else if (name == testCaseElement)
            m_complete = true;
        break;
    }
    default:
        break;
    }
}

void TestLogReader::startEntry()
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    m_entryType = attributes.value(QLatin1String("type")).toString();
    const QString file = attributes.value(QLatin1String("file")).toString();
    m_entryLocation = file.isEmpty()
                          ? QString()
                          : QStringLiteral("%1(%2)").arg(file, attributes.value(QLatin1String("line")).toString());
    m_dataTag.clear();
    m_description.clear();
}

void TestLogReader::endIncident(qint64 msecs)
{
    TestVerdict::Outcome outcome;
    if (TestVerdict::outcomeFromIncidentType(m_entryType, &outcome))
        deliverVerdict(outcome, msecs);
}

void TestLogReader::endMessage(qint64 msecs)
{
    if (!m_function.isEmpty()) {
        m_lastTestName = TestVerdict::testName(m_function, m_dataTag);
        m_lastTestEnded = false;
    }
    if (m_entryType == skipMessageType) {
        deliverVerdict(TestVerdict::Outcome::Skip, msecs);
        return;
    }
    TestMessage message;
    if (!TestMessage::typeFromMessageType(m_entryType, &message.type))
        message.type = TestMessage::Type::FrameworkInfo;
    message.function = m_function;
    message.row = m_dataTag;
    message.text = m_description;
    if (m_messageHandler)
        m_messageHandler(message);
}

// The verdict of the entry just read.
void TestLogReader::deliverVerdict(TestVerdict::Outcome outcome, qint64 msecs)
{
    TestVerdict verdict;
    verdict.outcome = outcome;
    verdict.function = m_function;
    verdict.row = m_dataTag;
    verdict.messageLines = lines(m_description);
    verdict.location = m_entryLocation;
    m_lastTestName = verdict.testName();
    m_lastTestEnded = verdict.endsTest();
    verdict.seconds = (msecs - m_lastTestEndMsecs) / 1000.0;
    if (verdict.endsTest())
        m_lastTestEndMsecs = msecs;
    if (m_verdictHandler)
        m_verdictHandler(verdict);
}
