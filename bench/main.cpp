// korvubench: see README.md in this folder.

#include "benchmark.h"
#include "benchoptions.h"
#include "resulttable.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvubench"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVU_VERSION));
    const BenchOptions options = BenchOptions::parse(QCoreApplication::arguments());

    std::printf("korvubench %s: %s\n", KORVU_VERSION, qPrintable(options.korvudPath));
    std::fflush(stdout);

    ResultTable table;
    Benchmark benchmark(options);
    QString errorMessage;
    const bool completed = benchmark.run(&table, &errorMessage);
    std::printf("%s", qPrintable(table.toText()));
    if (!completed) {
        std::fprintf(stderr, "korvubench: %s\n", qPrintable(errorMessage));
        return 1;
    }
    std::printf("%d of the targets missed\n", table.missedTargets());
    return 0;
}
