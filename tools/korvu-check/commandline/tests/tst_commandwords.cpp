#include "commandline/commandwords.h"

#include <QtTest>

class TestCommandWords : public QObject
{
    Q_OBJECT
private slots:
    void testSplit_data();
    void testSplit();
};

void TestCommandWords::testSplit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("error"); // empty: split

    QTest::newRow("blanks of any kind and length")
        << " valgrind\t-q \n --error-exitcode=99 " << QStringList{"valgrind", "-q", "--error-exitcode=99"} << "";
    QTest::newRow("single quotes keep everything")
        << R"(strace -o '/tmp/a b' 'x\"$y')" << QStringList{"strace", "-o", "/tmp/a b", R"(x\"$y)"} << "";
    QTest::newRow("double quotes: backslash only before $ ` \" \\")
        << R"(sh -c "exec \"\$0\" \a")" << QStringList{"sh", "-c", R"(exec "$0" \a)"} << "";
    QTest::newRow("backslash outside quotes") << R"(a\ b \'c)" << QStringList{"a b", "'c"} << "";
    QTest::newRow("quoted parts join one word") << R"(--x='a b'"c"d)" << QStringList{"--x=a bcd"} << "";
    QTest::newRow("empty quotes are a word") << "rr '' \"\"" << QStringList{"rr", "", ""} << "";
    QTest::newRow("backslash before a line break joins lines")
        << "taskset \\\n-c 1" << QStringList{"taskset", "-c", "1"} << "";
    QTest::newRow("nothing expanded") << "ls $HOME ~ *" << QStringList{"ls", "$HOME", "~", "*"} << "";
    QTest::newRow("unterminated single quote")
        << "rr record -o 'trace" << QStringList() << "unterminated single quote at character 14";
    QTest::newRow("unterminated double quote")
        << R"(a "b\")" << QStringList() << "unterminated double quote at character 3";
    QTest::newRow("trailing backslash") << "valgrind \\" << QStringList() << "trailing backslash";
}

void TestCommandWords::testSplit()
{
    QFETCH(QString, text);
    QFETCH(QStringList, words);
    QFETCH(QString, error);

    QStringList split;
    QString splitError;
    QCOMPARE(CommandWords::split(text, &split, &splitError), error.isEmpty());
    QCOMPARE(splitError, error);
    if (error.isEmpty())
        QCOMPARE(split, words);
}

QTEST_GUILESS_MAIN(TestCommandWords)
#include "tst_commandwords.moc"
