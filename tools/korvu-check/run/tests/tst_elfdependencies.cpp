#include "run/elfdependencies.h"

#include <QtTest>

class TestElfDependencies : public QObject
{
    Q_OBJECT
private slots:
    void testProgram();
    void testNotElf_data();
    void testNotElf();
};

void TestElfDependencies::testProgram()
{
    QStringList needed;
    QVERIFY(ElfDependencies::read(QStringLiteral(KORVU_BUILT_DAEMON), &needed));
    QVERIFY2(needed.contains(QStringLiteral("libQt%1Core.so.%1").arg(QT_VERSION_MAJOR)), qPrintable(needed.join(' ')));
    QVERIFY2(needed.contains(QStringLiteral("libc.so.6")), qPrintable(needed.join(' ')));
}

void TestElfDependencies::testNotElf_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("a script") << QByteArray("#!/bin/sh\nexec korvud \"$@\"\n");
    QTest::newRow("an empty file") << QByteArray();
    QTest::newRow("a cut-off ELF header") << QByteArray("\x7f"
                                                        "ELF\x02\x01");
}

void TestElfDependencies::testNotElf()
{
    QFETCH(QByteArray, content);

    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(content);
    file.close();
    QStringList needed = {"untouched"};
    QVERIFY(!ElfDependencies::read(file.fileName(), &needed));
    QCOMPARE(needed, QStringList{"untouched"});
    QVERIFY(!ElfDependencies::read(file.fileName() + ".missing", &needed));
}

QTEST_GUILESS_MAIN(TestElfDependencies)
#include "tst_elfdependencies.moc"
