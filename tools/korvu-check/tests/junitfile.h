#ifndef KORVUCHECK_TESTS_JUNITFILE_H
#define KORVUCHECK_TESTS_JUNITFILE_H

#include <QString>
#include <QStringList>
#include <QVector>
#include <QXmlStreamAttributes>

// A JUnit report read back as a CI system reads it, for tests of what
// korvu-check writes.
struct JunitFile
{
    struct TestCase
    {
        QXmlStreamAttributes attributes;
        QString result = QStringLiteral("passed"); // or the element: "failure", "error", "skipped"
        QXmlStreamAttributes resultAttributes;
        QString resultText;
        QString systemOut;
        QString systemErr;

        QString name() const;
        // "name: result [type] message", or "name: passed".
        QString summary() const;
    };

    QXmlStreamAttributes suite;
    QVector<TestCase> cases;
    QString systemOut;
    QString error; // set when the document is no well-formed report

    static JunitFile parse(const QByteArray &document);
    static JunitFile read(const QString &fileName);

    QStringList names() const;
    QStringList summaries() const;
    // The testsuite's counts as "tests/failures/errors/skipped".
    QString counts() const;
};

#endif // KORVUCHECK_TESTS_JUNITFILE_H
