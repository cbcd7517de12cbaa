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

    // Which texts are UUIDs is Korvu::parseUuid's to decide (tst_uuidtext);
    // here: the types of value around it.
    const QString braced = QLatin1Char('{') + sample.toUpper() + QLatin1Char('}');
    QTest::newRow("text") << QVariant(sample) << true << QUuid(sample);
    QTest::newRow("braced upper-case text") << QVariant(braced) << true << QUuid(sample);
    QTest::newRow("null text") << QVariant(QStringLiteral("00000000-0000-0000-0000-000000000000")) << true << QUuid();
    QTest::newRow("uuid value") << QVariant(QUuid(sample)) << true << QUuid(sample);

    QTest::newRow("opening brace only") << QVariant(QLatin1Char('{') + sample) << false << QUuid();
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
