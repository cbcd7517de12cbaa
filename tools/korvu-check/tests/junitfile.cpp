#include "tests/junitfile.h"

#include <QFile>
#include <QXmlStreamReader>

namespace {

void readCase(QXmlStreamReader *xml, JunitFile *report)
{
    JunitFile::TestCase testCase;
    testCase.attributes = xml->attributes();
    while (xml->readNextStartElement()) {
        if (xml->name() == QLatin1String("system-out")) {
            testCase.systemOut = xml->readElementText();
            continue;
        }
        if (xml->name() == QLatin1String("system-err")) {
            testCase.systemErr = xml->readElementText();
            continue;
        }
        testCase.result = xml->name().toString();
        testCase.resultAttributes = xml->attributes();
        testCase.resultText = xml->readElementText();
    }
    report->cases.append(testCase);
}

} // namespace

QString JunitFile::TestCase::name() const { return attributes.value(QLatin1String("name")).toString(); }

QString JunitFile::TestCase::summary() const
{
    QString text = name() + QStringLiteral(": ") + result;
    if (resultAttributes.hasAttribute(QLatin1String("type")))
        text += QStringLiteral(" [%1]").arg(resultAttributes.value(QLatin1String("type")).toString());
    if (resultAttributes.hasAttribute(QLatin1String("message")))
        text += QLatin1Char(' ') + resultAttributes.value(QLatin1String("message")).toString();
    return text;
}

JunitFile JunitFile::parse(const QByteArray &document)
{
    JunitFile report;
    QXmlStreamReader xml(document);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("testsuite")) {
        report.error = QStringLiteral("no testsuite element");
        return report;
    }
    report.suite = xml.attributes();
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("testcase"))
            readCase(&xml, &report);
        else if (xml.name() == QLatin1String("system-out"))
            report.systemOut = xml.readElementText();
        else
            xml.skipCurrentElement();
    }
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        report.error = xml.errorString() + QStringLiteral(" at line %1").arg(xml.lineNumber());
    return report;
}

JunitFile JunitFile::read(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        JunitFile report;
        report.error = file.errorString();
        return report;
    }
    return parse(file.readAll());
}

QStringList JunitFile::names() const
{
    QStringList names;
    for (const TestCase &testCase : cases)
        names.append(testCase.name());
    return names;
}

QStringList JunitFile::summaries() const
{
    QStringList summaries;
    for (const TestCase &testCase : cases)
        summaries.append(testCase.summary());
    return summaries;
}

QString JunitFile::counts() const
{
    return QStringList{
        suite.value(QLatin1String("tests")).toString(), suite.value(QLatin1String("failures")).toString(),
        suite.value(QLatin1String("errors")).toString(), suite.value(QLatin1String("skipped")).toString()}
        .join(QLatin1Char('/'));
}
