#include "run/listcommand.h"
#include "reports/lastfailedrecord.h"
#include "run/jobplanner.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

// {"suite": ..., "functions": [{"name": ..., "rows": [...]}], "selections": [...]}:
// each selected function with its selected rows (none for a function without
// data), and the words that select them on the command line.
QJsonDocument jsonListing(const QString &suite, const QVector<ShardPlan::Test> &tests)
{
    QJsonArray functions;
    QJsonArray selections;
    QJsonObject function;
    QJsonArray rows;
    for (const ShardPlan::Test &test : tests) {
        if (function.value(QLatin1String("name")).toString() != test.function) {
            if (!function.isEmpty()) {
                function.insert(QStringLiteral("rows"), rows);
                functions.append(function);
            }
            function = QJsonObject{{QStringLiteral("name"), test.function}};
            rows = QJsonArray();
        }
        if (!test.row.isEmpty())
            rows.append(test.row);
        selections.append(test.selectionWord());
    }
    if (!function.isEmpty()) {
        function.insert(QStringLiteral("rows"), rows);
        functions.append(function);
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("suite"), suite},
                                     {QStringLiteral("functions"), functions},
                                     {QStringLiteral("selections"), selections}});
}

} // namespace

ListCommand::ListCommand(const CheckOptions &options, QTextStream &out, QTextStream &err)
    : m_options(options)
    , m_out(out)
    , m_err(err)
{
}

int ListCommand::exec()
{
    // Listing writes nothing, so the suite needs no run tree of its own.
    JobPlanner planner(m_options, QDir::tempPath());
    if (m_options.lastFailed) {
        QStringList notices;
        const QStringList words = LastFailedRecord::selectionFor(m_options.daemon, &notices);
        // Standard output stays the listing alone.
        for (const QString &line : qAsConst(notices))
            m_err << line << '\n';
        if (words.isEmpty())
            return 0;
        planner.keepOnly(words);
    }
    JobPlanner::Selection selection;
    JobPlanner::Failure failure;
    if (!planner.select(&selection, &failure)) {
        for (const QString &line : qAsConst(failure.lines))
            m_err << "korvu-check: " << line << '\n';
        return failure.status;
    }
    if (m_options.listing == CheckOptions::Listing::Json) {
        m_out << jsonListing(QFileInfo(m_options.suite).fileName(), selection.kept).toJson();
        return 0;
    }
    for (const ShardPlan::Test &test : qAsConst(selection.kept))
        m_out << test.selectionWord() << '\n';
    return 0;
}
