#include "trackingcodematcher.h"

#include <QtTest>

class TestTrackingCodeMatcher : public QObject
{
    Q_OBJECT
private slots:
    void testNormalise_data();
    void testNormalise();
    void testMatches_data();
    void testMatches();
};

void TestTrackingCodeMatcher::testNormalise_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("normalised");

    QTest::newRow("plain digits") << "305719862243"
                                  << "305719862243";
    QTest::newRow("blanks, dot") << "30.57 1986224 3"
                                 << "305719862243";
    QTest::newRow("label with colon") << "Waybill: 4086215730"
                                      << "WAYBILL4086215730";
    QTest::newRow("lower case") << "1z84106k3971240516"
                                << "1Z84106K3971240516";
    QTest::newRow("tabs and line feeds") << "73\t0291\n8465"
                                         << "7302918465";
    QTest::newRow("no-break space") << QString::fromUtf8("73\u00a00291") << "730291";
    QTest::newRow("punctuation only") << " -./: "
                                      << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestTrackingCodeMatcher::testNormalise()
{
    QFETCH(QString, code);
    QFETCH(QString, normalised);
    QCOMPARE(TrackingCodeMatcher::normalise(code), normalised);
}

void TestTrackingCodeMatcher::testMatches_data()
{
    QTest::addColumn<QString>("registered");
    QTest::addColumn<QString>("scanned");
    QTest::addColumn<bool>("matches");

    // The code pairs of the end-to-end delivery checks.
    QTest::newRow("wrong code") << "5807"
                                << "5808" << false;
    QTest::newRow("same code") << "5807"
                               << "5807" << true;
    QTest::newRow("code with spaces") << "73 0291 8465"
                                      << "7302918465" << true;
    QTest::newRow("code with dashes") << "73-0291-8465"
                                      << "7302918465" << true;
    QTest::newRow("code with spaces and dashes") << "73 0291-8465"
                                                 << "7302918465" << true;
    QTest::newRow("digits inside waybill barcode") << "4086215730"
                                                   << "WAYBILL4086215730" << true;
    QTest::newRow("waybill label") << "Waybill: 4086215730"
                                   << "WAYBILL4086215730" << true;
    QTest::newRow("letters and digits") << "JJD000471203958816204"
                                        << "JJD000471203958816204" << true;
    QTest::newRow("blank inside letters") << "JJ D000471203958816204"
                                          << "JJD000471203958816204" << true;
    QTest::newRow("twelve digits") << "305719862243"
                                   << "305719862243" << true;
    QTest::newRow("dot and blanks") << "30.57 1986224 3"
                                    << "305719862243" << true;
    QTest::newRow("mixed code") << "1Z84106K3971240516"
                                << "1Z84106K3971240516" << true;
    QTest::newRow("mixed code with blanks") << "1Z 841 06K 39 7124 0516"
                                            << "1Z84106K3971240516" << true;
    QTest::newRow("inside a long barcode") << "05218834762290"
                                           << "0061527052188347622904419083" << true;
    QTest::newRow("dash instead of letter") << "1-84106K3971240516"
                                            << "1Z84106K3971240516" << false;

    // Around them.
    QTest::newRow("short code inside a barcode") << "5807"
                                                 << "0061527058070004419083" << false;
    QTest::newRow("seven characters inside") << "4086215"
                                             << "WAYBILL4086215730" << false;
    QTest::newRow("eight characters inside") << "40862157"
                                             << "WAYBILL4086215730" << true;
    QTest::newRow("scan shorter than registered") << "WAYBILL4086215730"
                                                  << "4086215730" << false;
    QTest::newRow("registered in lower case") << "jjd000471203958816204"
                                              << "JJD000471203958816204" << true;
    QTest::newRow("scanned in lower case") << "1Z84106K3971240516"
                                           << "1z84106k3971240516" << true;
    QTest::newRow("separators in the scan") << "7302918465"
                                            << "73-0291-8465" << true;
    QTest::newRow("one digit more") << "58070"
                                    << "5807" << false;
    QTest::newRow("empty codes") << ""
                                 << "" << false;
    QTest::newRow("empty scan") << "40862157"
                                << "" << false;
    QTest::newRow("punctuation only on both sides") << "---"
                                                    << "-" << false;
}

void TestTrackingCodeMatcher::testMatches()
{
    QFETCH(QString, registered);
    QFETCH(QString, scanned);
    QFETCH(bool, matches);
    QCOMPARE(TrackingCodeMatcher::matches(registered, scanned), matches);
}

QTEST_GUILESS_MAIN(TestTrackingCodeMatcher)
#include "tst_trackingcodematcher.moc"
