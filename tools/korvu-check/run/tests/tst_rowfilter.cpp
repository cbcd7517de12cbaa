#include "run/rowfilter.h"

#include <QtTest>

#include <optional>

Q_DECLARE_METATYPE(std::optional<QStringList>)

namespace {

// The delivery suite's functions and rows, shortened.
const QVector<ShardPlan::Test> listed = {
    {"testAvailable", "gate, scanner"},
    {"testRemoveDelivery", ""},
    {"testDeliveryPersistence", ""},
    {"testDelivery", "wrong code"},
    {"testDelivery", "DHL express germany 1"},
    {"testDelivery", "DPD Prio"},
    {"testDeliveryDHL", ""},
};

} // namespace

// Which listed functions and rows a run takes, from the words after --,
// --grep, --grep-invert and --last-failed together.
class TestRowFilter : public QObject
{
    Q_OBJECT
private slots:
    void testApply_data();
    void testApply();
    void testSelectionsOverlap_data();
    void testSelectionsOverlap();
};

void TestRowFilter::testApply_data()
{
    QTest::addColumn<QStringList>("selections");
    QTest::addColumn<QString>("grep");
    QTest::addColumn<QString>("grepInvert");
    QTest::addColumn<std::optional<QStringList>>("keepOnly");
    QTest::addColumn<QStringList>("kept"); // selection words
    QTest::addColumn<QString>("error");

    const std::optional<QStringList> none;
    QTest::newRow("nothing given: everything")
        << QStringList() << QString() << QString() << none << QStringList{"testAvailable:gate, scanner",
                                                                          "testRemoveDelivery",
                                                                          "testDeliveryPersistence",
                                                                          "testDelivery:wrong code",
                                                                          "testDelivery:DHL express germany 1",
                                                                          "testDelivery:DPD Prio",
                                                                          "testDeliveryDHL"}
        << QString();
    QTest::newRow("suite order, whatever the command line's")
        << QStringList{"testDelivery:DPD Prio", "testRemoveDelivery"} << QString() << QString() << none
        << QStringList{"testRemoveDelivery", "testDelivery:DPD Prio"} << QString();
    QTest::newRow("grep matches rows and rowless functions alike")
        << QStringList() << "DHL" << QString() << none
        << QStringList{"testDelivery:DHL express germany 1", "testDeliveryDHL"} << QString();
    QTest::newRow("grep reads ECMAScript: a row's name in parentheses")
        << QStringList() << "^testDelivery\\(D" << QString() << none
        << QStringList{"testDelivery:DHL express germany 1", "testDelivery:DPD Prio"} << QString();
    QTest::newRow("grep-invert keeps the functions named alike but without rows")
        << QStringList() << QString() << "^testDelivery\\(" << none
        << QStringList{"testAvailable:gate, scanner", "testRemoveDelivery", "testDeliveryPersistence",
                       "testDeliveryDHL"}
        << QString();
    QTest::newRow("grep within the words after --")
        << QStringList{"testDelivery"} << "D[HP]" << QString() << none
        << QStringList{"testDelivery:DHL express germany 1", "testDelivery:DPD Prio"} << QString();
    QTest::newRow("grep and grep-invert together") << QStringList() << "DHL"
                                                   << "\\)$" << none << QStringList{"testDeliveryDHL"} << QString();
    QTest::newRow("last failed, with a row the suite no longer has")
        << QStringList() << QString() << QString()
        << std::optional<QStringList>(QStringList{"testDelivery:DPD Prio", "testRemoveDelivery", "testGone:row"})
        << QStringList{"testRemoveDelivery", "testDelivery:DPD Prio"} << QString();
    QTest::newRow("last failed within grep")
        << QStringList() << "Prio" << QString()
        << std::optional<QStringList>(QStringList{"testDelivery:DPD Prio", "testRemoveDelivery"})
        << QStringList{"testDelivery:DPD Prio"} << QString();

    QTest::newRow("a pattern that selects nothing is named")
        << QStringList() << "GLS" << QString() << none << QStringList()
        << "no function or row of the suite is selected by --grep 'GLS'";
    QTest::newRow("every condition is named when together they select nothing")
        << QStringList{"testRemoveDelivery"} << "Remove"
        << "Delivery$" << std::optional<QStringList>(QStringList{"testRemoveDelivery"}) << QStringList()
        << "no function or row of the suite is selected by the words after -- (testRemoveDelivery), --grep "
           "'Remove', --grep-invert 'Delivery$' and --last-failed (testRemoveDelivery)";
    QTest::newRow("unknown function, with its close matches")
        << QStringList{"testdelivery"} << QString() << QString() << none << QStringList()
        << "the suite has no test function 'testdelivery'. Possible matches: 'testDelivery', "
           "'testDeliveryDHL', 'testDeliveryPersistence'";
    QTest::newRow("unknown function, nothing close")
        << QStringList{"noSuchFunction"} << QString() << QString() << none << QStringList()
        << "the suite has no test function 'noSuchFunction'";
    QTest::newRow("unknown row, matches among the function's rows only")
        << QStringList{"testDelivery:DPD"} << QString() << QString() << none << QStringList()
        << "testDelivery has no data row 'DPD'. Possible matches: 'DPD Prio'";
    QTest::newRow("row of a function without rows")
        << QStringList{"testRemoveDelivery:x"} << QString() << QString() << none << QStringList()
        << "testRemoveDelivery has no data row 'x'";
}

void TestRowFilter::testApply()
{
    QFETCH(QStringList, selections);
    QFETCH(QString, grep);
    QFETCH(QString, grepInvert);
    QFETCH(std::optional<QStringList>, keepOnly);
    QFETCH(QStringList, kept);
    QFETCH(QString, error);

    RowFilter filter(selections, grep, grepInvert);
    if (keepOnly)
        filter.keepOnly(*keepOnly);
    QVector<ShardPlan::Test> actual;
    QString actualError;
    QCOMPARE(filter.apply(listed, &actual, &actualError), error.isEmpty());
    QCOMPARE(actualError, error);
    QStringList words;
    for (const ShardPlan::Test &test : qAsConst(actual))
        words.append(test.selectionWord());
    QCOMPARE(words, kept);
}

void TestRowFilter::testSelectionsOverlap_data()
{
    QTest::addColumn<QStringList>("selections");
    QTest::addColumn<bool>("overlap");

    QTest::newRow("none") << QStringList() << false;
    QTest::newRow("other rows of one function")
        << QStringList{"testDelivery:DPD Prio", "testDelivery:wrong code"} << false;
    QTest::newRow("functions whose names begin alike") << QStringList{"testDelivery", "testDeliveryDHL"} << false;
    QTest::newRow("the same row twice") << QStringList{"testDelivery:DPD Prio", "testDelivery:DPD Prio"} << true;
    QTest::newRow("the same function twice") << QStringList{"testRemoveDelivery", "testRemoveDelivery"} << true;
    QTest::newRow("a row, then its function") << QStringList{"testDelivery:DPD Prio", "testDelivery"} << true;
    QTest::newRow("a function, then its row") << QStringList{"testDelivery", "testDelivery:DPD Prio"} << true;
}

void TestRowFilter::testSelectionsOverlap()
{
    QFETCH(QStringList, selections);
    QFETCH(bool, overlap);

    QCOMPARE(RowFilter(selections).selectionsOverlap(listed), overlap);
}

QTEST_GUILESS_MAIN(TestRowFilter)
#include "tst_rowfilter.moc"
