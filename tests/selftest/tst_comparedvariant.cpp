// The suite judges replies by comparing QVariants read from JSON. Qt 6
// compares values of different types otherwise than Qt 5; these rows are
// Qt 5's verdicts, which the suite keeps under both.
#include "comparedvariant.h"
#include "comparedvariantmap.h"

#include <QJsonDocument>
#include <QtTest>

namespace {

QVariant fromJson(const QByteArray &json)
{
    return QJsonDocument::fromJson("[" + json + "]").toVariant().toList().value(0);
}

} // namespace

class TestComparedVariant : public QObject
{
    Q_OBJECT
private slots:
    void testComparesAsInQt5_data();
    void testComparesAsInQt5();
};

void TestComparedVariant::testComparesAsInQt5_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("equal");

    QTest::newRow("number and its text") << QByteArray("1700000000") << QByteArray("\"1700000000\"") << true;
    QTest::newRow("text with a leading zero and the number") << QByteArray("\"01\"") << QByteArray("1") << false;
    QTest::newRow("number and the text with a leading zero") << QByteArray("1") << QByteArray("\"01\"") << true;
    QTest::newRow("text with a leading space and the number") << QByteArray("\" 1\"") << QByteArray("1") << false;
    QTest::newRow("null and empty text") << QByteArray("null") << QByteArray("\"\"") << true;
    QTest::newRow("null and text") << QByteArray("null") << QByteArray("\"x\"") << false;
    QTest::newRow("text 1 and true") << QByteArray("\"1\"") << QByteArray("true") << false;
    QTest::newRow("true and text 1") << QByteArray("true") << QByteArray("\"1\"") << true;
    QTest::newRow("false and empty text") << QByteArray("false") << QByteArray("\"\"") << true;
    QTest::newRow("true and 2") << QByteArray("true") << QByteArray("2") << false;
    QTest::newRow("text and the list holding it") << QByteArray("\"1\"") << QByteArray("[\"1\"]") << false;
    QTest::newRow("empty list and empty text") << QByteArray("[]") << QByteArray("\"\"") << false;
    QTest::newRow("lists member by member") << QByteArray("[null, 1]") << QByteArray("[\"\", \"1\"]") << true;
    QTest::newRow("maps member by member")
        << QByteArray("{\"a\": null, \"b\": \"01\"}") << QByteArray("{\"a\": \"\", \"b\": 1}") << false;
}

void TestComparedVariant::testComparesAsInQt5()
{
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, expected);
    QFETCH(bool, equal);

    const ComparedVariant replied = fromJson(reply);
    QCOMPARE(replied == fromJson(expected), equal);

    // As the suite looks for an expected map in a listed reply.
    ComparedVariantMap expectedMember;
    expectedMember.insert("member", fromJson(expected));
    const QVariantList listed = {QVariantMap{{"member", fromJson(reply)}}};
    QCOMPARE(listed.contains(expectedMember), equal);
}

QTEST_GUILESS_MAIN(TestComparedVariant)
#include "tst_comparedvariant.moc"
