#include "run/qtmajorcheck.h"

#include <QtTest>

namespace {

const QString daemon = QStringLiteral("/opt/korvud");
const QString mocks = QStringLiteral("/opt/mocks/libdeliverymocks.so");
const QString experience = QStringLiteral("/opt/experience/libplavodelivery.so");

QVector<QtMajorCheck::Part> parts(int daemonMajor, int mocksMajor, int experienceMajor)
{
    return {{"korvud", daemon, daemonMajor},
            {"the mocks plug-in", mocks, mocksMajor},
            {"the experience plug-in", experience, experienceMajor}};
}

} // namespace

Q_DECLARE_METATYPE(QtMajorCheck::Part)

class TestQtMajorCheck : public QObject
{
    Q_OBJECT
private slots:
    void testRefusal_data();
    void testRefusal();
    void testBuiltPartsAgree();
    void testUnreadDaemon_data();
    void testUnreadDaemon();

private:
    QTemporaryDir m_dir;
};

void TestQtMajorCheck::testRefusal_data()
{
    QTest::addColumn<QVector<QtMajorCheck::Part>>("parts");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("all Qt 5") << parts(5, 5, 5) << QString();
    QTest::newRow("a plug-in of unknown major is no reason") << parts(6, 0, 6) << QString();
    QTest::newRow("Qt 6 daemon, Qt 5 plug-ins")
        << parts(6, 5, 5)
        << "the daemon and its plug-ins link different Qt majors, so the plug-ins would not load: korvud links Qt 6 "
           "(/opt/korvud); the mocks plug-in links Qt 5 (/opt/mocks/libdeliverymocks.so); the experience plug-in "
           "links Qt 5 (/opt/experience/libplavodelivery.so). For a daemon built with Qt 6 use "
           "korvu-delivery-checks-qt6, or pass --mocks and --experience built with Qt 6";
    QTest::newRow("Qt 5 daemon, one Qt 6 plug-in beside one unknown")
        << parts(5, 6, 0)
        << "the daemon and its plug-ins link different Qt majors, so the plug-ins would not load: korvud links Qt 5 "
           "(/opt/korvud); the mocks plug-in links Qt 6 (/opt/mocks/libdeliverymocks.so); the experience plug-in "
           "links no Qt korvu-check knows (/opt/experience/libplavodelivery.so). For a daemon built with Qt 5 use "
           "korvu-delivery-checks, or pass --mocks and --experience built with Qt 5";
}

void TestQtMajorCheck::testRefusal()
{
    QFETCH(QVector<QtMajorCheck::Part>, parts);
    QFETCH(QString, refusal);

    const QtMajorCheck check(parts);
    QCOMPARE(check.refusal(), refusal);
    QCOMPARE(check.skipReason(), QString());
}

void TestQtMajorCheck::testBuiltPartsAgree()
{
    const QtMajorCheck check = QtMajorCheck::read(KORVU_BUILT_DAEMON, KORVU_BUILT_MOCKS, KORVU_BUILT_EXPERIENCE, {});
    QCOMPARE(check.refusal(), QString());
    QCOMPARE(check.skipReason(), QString());
    QCOMPARE(QtMajorCheck::linkedQtMajor(KORVU_BUILT_DAEMON), QT_VERSION_MAJOR);
}

void TestQtMajorCheck::testUnreadDaemon_data()
{
    QTest::addColumn<bool>("script");
    QTest::addColumn<QStringList>("wrapCommand");
    QTest::addColumn<QString>("reason");

    QTest::newRow("a script") << true << QStringList()
                              << m_dir.filePath("korvud-wrapper")
                                     + " is no ELF program that links QtCore, so whether it links the plug-ins' Qt "
                                       "major is not checked";
    QTest::newRow("under --wrap") << false << QStringList{"valgrind", "-q"}
                                  << "the daemon runs under --wrap valgrind, so whether it links the plug-ins' Qt "
                                     "major is not checked";
}

// Not read is not refused, even beside plug-ins of the other major.
void TestQtMajorCheck::testUnreadDaemon()
{
    QFETCH(bool, script);
    QFETCH(QStringList, wrapCommand);
    QFETCH(QString, reason);

    QString daemon = KORVU_BUILT_DAEMON;
    if (script) {
        daemon = m_dir.filePath("korvud-wrapper");
        QFile file(daemon);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nexec korvud \"$@\"\n");
    }
    const QtMajorCheck check = QtMajorCheck::read(daemon, KORVU_BUILT_MOCKS, KORVU_BUILT_EXPERIENCE, wrapCommand);
    QCOMPARE(check.refusal(), QString());
    QCOMPARE(check.skipReason(), reason);
}

QTEST_GUILESS_MAIN(TestQtMajorCheck)
#include "tst_qtmajorcheck.moc"
