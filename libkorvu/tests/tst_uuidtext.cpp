#include "uuidtext.h"

#include <QtTest>

class TestUuidText : public QObject
{
    Q_OBJECT
private slots:
    void testIdText();
    void testParseUuid_data();
    void testParseUuid();
};

static const QString sample = QStringLiteral("0da90af2-90bc-43a6-bcdc-e50c39dbb8bf");

void TestUuidText::testIdText()
{
    QCOMPARE(Korvu::idText(QUuid(QLatin1Char('{') + sample.toUpper() + QLatin1Char('}'))), sample);
    QCOMPARE(Korvu::idText(QUuid()), QStringLiteral("00000000-0000-0000-0000-000000000000"));
}

void TestUuidText::testParseUuid_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QUuid>("expected");

    const QString upper = sample.toUpper();
    auto changed = [](int position, const QString &replacement) {
        return QString(sample).replace(position, 1, replacement);
    };

    QTest::newRow("bare") << sample << true << QUuid(sample);
    QTest::newRow("bare upper-case") << upper << true << QUuid(sample);
    QTest::newRow("braced") << QLatin1Char('{') + sample + QLatin1Char('}') << true << QUuid(sample);
    QTest::newRow("braced upper-case") << QLatin1Char('{') + upper + QLatin1Char('}') << true << QUuid(sample);
    QTest::newRow("null") << QStringLiteral("00000000-0000-0000-0000-000000000000") << true << QUuid();

    QTest::newRow("empty") << QString() << false << QUuid();
    QTest::newRow("opening brace only") << QLatin1Char('{') + sample << false << QUuid();
    QTest::newRow("closing brace only") << sample + QLatin1Char('}') << false << QUuid();
    QTest::newRow("braces swapped") << QLatin1Char('}') + sample + QLatin1Char('{') << false << QUuid();
    QTest::newRow("brace and trailing text") << QLatin1Char('{') + sample + QStringLiteral("x") << false << QUuid();
    QTest::newRow("trailing text after braces") << QLatin1Char('{') + sample + QStringLiteral("}x") << false << QUuid();
    QTest::newRow("trailing text") << sample + QStringLiteral("x") << false << QUuid();
    QTest::newRow("38 characters, no braces") << QStringLiteral("((") + sample << false << QUuid();
    QTest::newRow("trailing line feed") << sample + QLatin1Char('\n') << false << QUuid();
    QTest::newRow("leading space") << QLatin1Char(' ') + sample << false << QUuid();
    QTest::newRow("one digit short") << sample.left(35) << false << QUuid();
    QTest::newRow("one digit too many") << sample + QLatin1Char('0') << false << QUuid();
    QTest::newRow("no dashes") << QString(sample).remove(QLatin1Char('-')) << false << QUuid();
    QTest::newRow("dash moved") << QStringLiteral("0da90af-290bc-43a6-bcdc-e50c39dbb8bf") << false << QUuid();
    QTest::newRow("dash instead of digit") << changed(0, QStringLiteral("-")) << false << QUuid();
    QTest::newRow("not hex") << changed(35, QStringLiteral("g")) << false << QUuid();
    QTest::newRow("digit beyond ASCII") << changed(0, QString(QChar(0x0660))) << false << QUuid();
    QTest::newRow("fullwidth letter") << changed(1, QString(QChar(0xFF44))) << false << QUuid();
}

void TestUuidText::testParseUuid()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(QUuid, expected);

    const QUuid untouched = QUuid::createUuid();
    QUuid uuid = untouched;
    QCOMPARE(Korvu::parseUuid(text, &uuid), accepted);
    QCOMPARE(uuid, accepted ? expected : untouched);
}

QTEST_GUILESS_MAIN(TestUuidText)
#include "tst_uuidtext.moc"
