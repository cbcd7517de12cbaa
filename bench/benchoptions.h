#ifndef KORVU_BENCH_BENCHOPTIONS_H
#define KORVU_BENCH_BENCHOPTIONS_H

#include <QString>
#include <QStringList>

// What korvubench measures, how often, and which daemon and plug-ins it runs.
struct BenchOptions
{
    int requests = 10000;
    int deliveries = 10000;
    int restarts = 7;
    int listings = 7;
    QString korvudPath;
    QString pluginsPath;
    QString experiencePluginsPath;

    // Exits with a usage message on bad options.
    static BenchOptions parse(const QStringList &arguments);
};

#endif // KORVU_BENCH_BENCHOPTIONS_H
