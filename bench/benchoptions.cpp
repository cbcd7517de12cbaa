#include "benchoptions.h"

#include <QCommandLineParser>

#include <cstdio>
#include <cstdlib>

namespace {

int positiveNumber(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < 1) {
        std::fprintf(stderr, "korvubench: --%s needs a positive number\n", qPrintable(option.names().first()));
        std::exit(2);
    }
    return value;
}

} // namespace

BenchOptions BenchOptions::parse(const QStringList &arguments)
{
    BenchOptions defaults;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Measures korvud with the PlavoDelivery and DeliveryMocks plug-ins. It starts the daemon itself, on the fixed "
        "ports 2222 and 6655-6657: run it in a network namespace of its own, e.g.\n"
        "  unshare -n sh -c 'ip link set lo up; korvubench'"));
    parser.addHelpOption();
    const QCommandLineOption requests(QStringLiteral("requests"),
                                      QStringLiteral("Sequential JSONRPC.Hello calls timed."), QStringLiteral("count"),
                                      QString::number(defaults.requests));
    const QCommandLineOption deliveries(QStringLiteral("deliveries"),
                                        QStringLiteral("Deliveries added and then listed."), QStringLiteral("count"),
                                        QString::number(defaults.deliveries));
    const QCommandLineOption restarts(QStringLiteral("restarts"),
                                      QStringLiteral("Starts timed, before and after the deliveries."),
                                      QStringLiteral("count"), QString::number(defaults.restarts));
    const QCommandLineOption listings(QStringLiteral("listings"), QStringLiteral("Full GetDeliveries calls timed."),
                                      QStringLiteral("count"), QString::number(defaults.listings));
    const QCommandLineOption korvud(QStringLiteral("korvud"), QStringLiteral("The daemon to measure."),
                                    QStringLiteral("path"), QStringLiteral(KORVUD_PATH));
    const QCommandLineOption plugins(QStringLiteral("plugins"), QStringLiteral("KORVU_PLUGINS_PATH for the daemon."),
                                     QStringLiteral("dirs"), QStringLiteral(DELIVERYMOCKS_DIR));
    const QCommandLineOption experiences(QStringLiteral("experiences"),
                                         QStringLiteral("KORVU_EXPERIENCE_PLUGINS_PATH for the daemon."),
                                         QStringLiteral("dirs"), QStringLiteral(PLAVODELIVERY_DIR));
    parser.addOptions({requests, deliveries, restarts, listings, korvud, plugins, experiences});
    parser.process(arguments);

    BenchOptions options;
    options.requests = positiveNumber(parser, requests);
    options.deliveries = positiveNumber(parser, deliveries);
    options.restarts = positiveNumber(parser, restarts);
    options.listings = positiveNumber(parser, listings);
    options.korvudPath = parser.value(korvud);
    options.pluginsPath = parser.value(plugins);
    options.experiencePluginsPath = parser.value(experiences);
    return options;
}
