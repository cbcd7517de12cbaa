#include "consoleexample.h"
#include "examplerunner.h"
#include "markdownfences.h"
#include "optionreference.h"
#include "shownoutput.h"

#include <QtTest>

class tst_DocExamples : public QObject
{
    Q_OBJECT

private slots:
    void fencesWithTheirSetup();
    void consoleKinds_data();
    void consoleKinds();
    void commandsAndTheirOutput();
    void shownOutput_data();
    void shownOutput();
    void optionNames();
    void optionDisagreements();
    void runningBlocks_data();
    void runningBlocks();
};

void tst_DocExamples::fencesWithTheirSetup()
{
    const QString page = QStringLiteral("text\n"
                                        "<!-- docs-setup: ln -s a b\n"
                                        "     touch c -->\n"
                                        "````console\n"
                                        "$ ls\n"
                                        "```\n"
                                        "````\n"
                                        "\n"
                                        "<!-- docs-setup: dropped by the paragraph below -->\n"
                                        "paragraph\n"
                                        "```cmake\n"
                                        "find_package(X)\n");
    const QList<MarkdownFences::Block> blocks = MarkdownFences::read(page);
    QCOMPARE(blocks.size(), 2);
    QCOMPARE(blocks.at(0).line, 4);
    QCOMPARE(blocks.at(0).info, QStringLiteral("console"));
    QCOMPARE(blocks.at(0).lines, QStringList({"$ ls", "```"}));
    QCOMPARE(blocks.at(0).setup, QStringList({"ln -s a b", "touch c"}));
    QCOMPARE(blocks.at(1).info, QStringLiteral("cmake"));
    QCOMPARE(blocks.at(1).lines, QStringList({"find_package(X)", ""}));
    QVERIFY(blocks.at(1).setup.isEmpty());
}

void tst_DocExamples::consoleKinds_data()
{
    QTest::addColumn<QString>("info");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QStringList>("needs");
    using K = ConsoleExample::Kind;
    const QStringList ls = {"$ ls"};
    QTest::newRow("runnable") << "console" << ls << int(K::Runnable) << QString() << QStringList();
    QTest::newRow("needs tools") << "console needs: valgrind rr" << ls << int(K::Runnable) << QString()
                                 << QStringList({"valgrind", "rr"});
    QTest::newRow("not run") << "console not-run: needs a GitHub runner" << ls << int(K::NotRun)
                             << "needs a GitHub runner" << QStringList();
    QTest::newRow("not run without reason")
        << "console not-run:" << ls << int(K::Invalid) << "unknown..." << QStringList();
    QTest::newRow("misspelt") << "console notrun" << ls << int(K::Invalid) << "unknown..." << QStringList();
    QTest::newRow("shell block") << "sh" << ls << int(K::Invalid) << "a sh block..." << QStringList();
    QTest::newRow("other language") << "yaml" << QStringList({"a: b"}) << int(K::NotConsole) << QString()
                                    << QStringList();
    QTest::newRow("output first") << "console" << QStringList({"hello", "$ ls"}) << int(K::Invalid)
                                  << "output before..." << QStringList();
    QTest::newRow("no command") << "console" << QStringList({""}) << int(K::Invalid) << "no command..."
                                << QStringList();
}

void tst_DocExamples::consoleKinds()
{
    QFETCH(QString, info);
    QFETCH(QStringList, lines);
    QFETCH(int, kind);
    QFETCH(QString, reason);
    QFETCH(QStringList, needs);
    const ConsoleExample example(info, lines);
    QCOMPARE(int(example.kind()), kind);
    QVERIFY2(ShownOutput().matches({reason}, {example.reason()}), qPrintable(example.reason()));
    QCOMPARE(example.needs(), needs);
}

void tst_DocExamples::commandsAndTheirOutput()
{
    const ConsoleExample example(QStringLiteral("console"), {"$ korvu-check \\", "    --list", "testA", "",
                                                             "$ true  # no output", "$ echo '$ x'", "$ x"});
    const QList<ConsoleExample::Step> steps = example.steps();
    QCOMPARE(steps.size(), 4);
    QCOMPARE(steps.at(0).command, QStringLiteral("korvu-check \\\n    --list"));
    QCOMPARE(steps.at(0).expected, QStringList({"testA", ""}));
    QVERIFY(steps.at(1).expected.isEmpty());
    QCOMPARE(steps.at(2).expected, QStringList());
    QCOMPARE(steps.at(3).command, QStringLiteral("x"));
}

void tst_DocExamples::shownOutput_data()
{
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("printed");
    QTest::addColumn<bool>("matches");
    QTest::newRow("same") << QStringList({"a", "b"}) << QStringList({"a", "b"}) << true;
    QTest::newRow("changed line") << QStringList({"a", "b"}) << QStringList({"a", "c"}) << false;
    QTest::newRow("line missing") << QStringList({"a", "b"}) << QStringList({"a"}) << false;
    QTest::newRow("line added") << QStringList({"a"}) << QStringList({"a", "b"}) << false;
    QTest::newRow("trailing blanks and spaces") << QStringList({"a", ""}) << QStringList({"a  "}) << true;
    QTest::newRow("ellipsis line: none") << QStringList({"a", "...", "b"}) << QStringList({"a", "b"}) << true;
    QTest::newRow("ellipsis line: several")
        << QStringList({"...", "b", "..."}) << QStringList({"x", "b", "y", "b", "z"}) << true;
    QTest::newRow("ellipsis line: order kept") << QStringList({"b", "...", "a"}) << QStringList({"a", "b"}) << false;
    QTest::newRow("ellipsis in a line") << QStringList({"korvu-check: .../korvud: 3 shards"})
                                        << QStringList({"korvu-check: /tmp/x/korvud: 3 shards"}) << true;
    QTest::newRow("ellipsis in a line: rest differs")
        << QStringList({".../korvud: 3 shards"}) << QStringList({"/x/korvud: 4 shards"}) << false;
    QTest::newRow("regex characters are text") << QStringList({"a.b (c)"}) << QStringList({"axb (c)"}) << false;
    QTest::newRow("times") << QStringList({"PASS  x  0.00 s, 31.4 s, 12 ms, 3s, 1.41 sec"})
                           << QStringList({"PASS  x  1.25 s, 2 s, 7 ms, 10s, 2 sec"}) << true;
    QTest::newRow("measures") << QStringList({"   0.016  AddThing -> 0.7 MB"})
                              << QStringList({"   1.205  AddThing -> 13.1 MB"}) << true;
    QTest::newRow("counts are no times") << QStringList({"16 shards"}) << QStringList({"17 shards"}) << false;
    QTest::newRow("dates, ids and hashes")
        << QStringList({"2026-01-02T03:04:05Z 1796846467 {7e3e6b01-99a1-4346-826f-12ebff61c83d} "
                        "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08"})
        << QStringList({"2026-12-09 19:53:00.123+01:00 1796846782 de11ce00-0000-4000-8000-000000000001 "
                        "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"})
        << true;
    QTest::newRow("folders") << QStringList({"$PWD/report.html from $BUILD/tools"})
                             << QStringList({"/tmp/scratch-1/report.html from /src/build/tools"}) << true;
}

void tst_DocExamples::shownOutput()
{
    QFETCH(QStringList, shown);
    QFETCH(QStringList, printed);
    QFETCH(bool, matches);
    const ShownOutput output({{"/src", "$SOURCE"}, {"/src/build", "$BUILD"}, {"/tmp/scratch-1", "$PWD"}});
    QCOMPARE(output.matches(shown, printed), matches);
}

void tst_DocExamples::optionNames()
{
    const QString help = QStringLiteral("Usage: korvu-check [options]\n"
                                        "  --not-an-option in the description\n"
                                        "\n"
                                        "Options:\n"
                                        "  -h, --help                 Displays help.\n"
                                        "  -j, --jobs <n>             Run the functions\n"
                                        "                             --wrapped text, no option.\n"
                                        "  --keep                     Keep.\n"
                                        "\n"
                                        "Arguments:\n"
                                        "  -- <suite arguments>       For the suite.\n");
    QCOMPARE(OptionReference::fromHelp(help), QStringList({"-h", "--help", "-j", "--jobs", "--keep"}));

    const QString page = QStringLiteral("- `--daemon PATH`: before the reference\n"
                                        "## Options\n"
                                        "\n"
                                        "- `-j N`, `--jobs N`: shards; see `--shard`.\n"
                                        "- `--max-failures N` or `-x`: stop.\n"
                                        "  - `--nested`: not an entry\n"
                                        "- text mentioning `--keep`: no entry\n"
                                        "## Next\n"
                                        "- `--watch`: after the reference\n");
    QCOMPARE(OptionReference::fromPage(page), QStringList({"-j", "--jobs", "--max-failures", "-x"}));
}

void tst_DocExamples::optionDisagreements()
{
    const QStringList options = {"--keep", "--jobs", "--wrap", "-x"};
    const QMap<QString, QStringList> described = {{"--keep", {"docs/a.md"}},
                                                  {"--jobs", {"docs/a.md", "docs/b.md"}},
                                                  {"-x", {"docs/b.md"}},
                                                  {"--gone", {"docs/b.md"}}};
    const QString manual = QStringLiteral(".TP\n\\fB\\-\\-keep\\fR\n\\-\\-jobs \\-\\-wrap \\fB\\-x\\fR");
    QCOMPARE(OptionReference::disagreements(options, described, manual),
             QStringList({"--jobs is described in 2 docs references (docs/a.md, docs/b.md), not in exactly one",
                          "--wrap is described in 0 docs references, not in exactly one",
                          "docs/b.md describes --gone, which korvu-check --help does not list"}));
    QCOMPARE(OptionReference::disagreements({"--keep", "--list"},
                                            {{"--keep", {"docs/a.md"}}, {"--list", {"docs/c.md"}}},
                                            QStringLiteral("\\-\\-keep \\-\\-listing \\-\\-list\\-json")),
             QStringList({"the manual page does not name --list"}));
}

void tst_DocExamples::runningBlocks_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("failure"); // a ShownOutput line for the report on one line; empty: passes
    const QString none;
    QTest::newRow("output as shown") << QStringList() << QStringList({"$ echo a; echo b >&2", "a", "b"}) << none;
    QTest::newRow("output changed") << QStringList() << QStringList({"$ echo a", "b"}) << "$ echo a...";
    QTest::newRow("failure shown with its status")
        << QStringList() << QStringList({"$ echo no; exit 3", "no", "[exit 3]"}) << none;
    QTest::newRow("failure not shown") << QStringList() << QStringList({"$ false"}) << "$ false...";
    QTest::newRow("failing pipe") << QStringList() << QStringList({"$ false | cat"}) << "$ false | cat...";
    QTest::newRow("steps share the scratch folder")
        << QStringList() << QStringList({"$ echo x > f", "$ cat f; pwd", "x", "$PWD"}) << none;
    QTest::newRow("set-up before the steps") << QStringList({"echo y > g"}) << QStringList({"$ cat g", "y"}) << none;
    QTest::newRow("set-up that prints") << QStringList({"echo noise"}) << QStringList({"$ true"})
                                        << "set-up $ echo noise...";
    QTest::newRow("korvu-check of the build tree")
        << QStringList() << QStringList({"$ korvu-check; echo $KORVU_DOCS_BUILD", "fake korvu-check", "$BUILD"})
        << none;
    QTest::newRow("hung command") << QStringList() << QStringList({"$ sleep 10"}) << "$ sleep 10...killed";
}

void tst_DocExamples::runningBlocks()
{
    QFETCH(QStringList, setup);
    QFETCH(QStringList, lines);
    QFETCH(QString, failure);
    QTemporaryDir build;
    QVERIFY(QDir(build.path()).mkpath(QStringLiteral("tools/korvu-check")));
    QFile check(build.filePath(QStringLiteral("tools/korvu-check/korvu-check")));
    QVERIFY(check.open(QIODevice::WriteOnly));
    check.write("#!/bin/sh\necho fake korvu-check\n");
    check.close();
    QVERIFY(check.setPermissions(check.permissions() | QFileDevice::ExeOwner));

    const ExampleRunner runner(build.path(), build.path(), 1000);
    const QString result = runner.run(setup, ConsoleExample(QStringLiteral("console"), lines));
    if (failure.isEmpty())
        QVERIFY2(result.isEmpty(), qPrintable(result));
    else
        QVERIFY2(ShownOutput().matches({failure}, {result.simplified()}), qPrintable(result));
}

QTEST_GUILESS_MAIN(tst_DocExamples)
#include "tst_docexamples.moc"
