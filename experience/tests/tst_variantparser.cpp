#include "variantparser.h"

#include <QtTest>

class TestVariantParser : public QObject
{
    Q_OBJECT
private slots:
    void testToUuid_data();
    void testToUuid();
};

static const QString sample = QStringLiteral("0da90af2-90bc-43a6-bcdc-e50c39dbb8bf");

void TestVariantParser::testToUuid_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QUuid>("expected");

    const QString upper = sample.toUpper();
    auto text = [](const QString &string) { return QVariant(string); };
    auto changed = [](int position, const QString &replacement) {
        return QVariant(QString(sample).replace(position, 1, replacement));
    };

    QTest::newRow("bare") << text(sample) << true << QUuid(sample);
    QTest::newRow("bare upper-case") << text(upper) << true << QUuid(sample);
    QTest::newRow("braced upper-case") << text(QLatin1Char('{') + upper + QLatin1Char('}')) << true << QUuid(sample);
    QTest::newRow("null text") << text(QStringLiteral("00000000-0000-0000-0000-000000000000")) << true << QUuid();
    QTest::newRow("uuid value") << QVariant(QUuid(sample)) << true << QUuid(sample);

    QTest::newRow("empty") << text(QString()) << false << QUuid();
    QTest::newRow("opening brace only") << text(QLatin1Char('{') + sample) << false << QUuid();
    QTest::newRow("closing brace only") << text(sample + QLatin1Char('}')) << false << QUuid();
    QTest::newRow("braces swapped") << text(QLatin1Char('}') + sample + QLatin1Char('{')) << false << QUuid();
    QTest::newRow("brace and trailing text")
        << text(QLatin1Char('{') + sample + QStringLiteral("x")) << false << QUuid();
    QTest::newRow("38 characters, no braces") << text(QStringLiteral("((") + sample) << false << QUuid();
    QTest::newRow("trailing line feed") << text(sample + QLatin1Char('\n')) << false << QUuid();
    QTest::newRow("leading space") << text(QLatin1Char(' ') + sample) << false << QUuid();
    QTest::newRow("one digit short") << text(sample.left(35)) << false << QUuid();
    QTest::newRow("one digit too many") << text(sample + QLatin1Char('0')) << false << QUuid();
    QTest::newRow("no dashes") << text(QString(sample).remove(QLatin1Char('-'))) << false << QUuid();
    QTest::newRow("dash moved") << text(QStringLiteral("0da90af-290bc-43a6-bcdc-e50c39dbb8bf")) << false << QUuid();
    QTest::newRow("dash instead of digit") << changed(0, QStringLiteral("-")) << false << QUuid();
    QTest::newRow("not hex") << changed(35, QStringLiteral("g")) << false << QUuid();
    QTest::newRow("digit beyond ASCII") << changed(0, QString(QChar(0x0660))) << false << QUuid();
    QTest::newRow("fullwidth letter") << changed(1, QString(QChar(0xFF44))) << false << QUuid();
    QTest::newRow("number") << QVariant(42) << false << QUuid();
    QTest::newRow("bytes") << QVariant(sample.toLatin1()) << false << QUuid();
    QTest::newRow("list") << QVariant(QVariantList{sample}) << false << QUuid();
}

void TestVariantParser::testToUuid()
{
    QFETCH(QVariant, value);
    QFETCH(bool, accepted);
    QFETCH(QUuid, expected);

    const QUuid untouched = QUuid::createUuid();
    QUuid uuid = untouched;
    QCOMPARE(VariantParser::toUuid(value, &uuid), accepted);
    QCOMPARE(uuid, accepted ? expected : untouched);
}

QTEST_GUILESS_MAIN(TestVariantParser)
#include "tst_variantparser.moc"
