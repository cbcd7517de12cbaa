#include "run/shardplan.h"
#include "results/testverdict.h"
#include "run/rowfilter.h"

#include <algorithm>
#include <numeric>

namespace {

// A test expected to take at least this long runs in a shard of its own;
// quicker ones share shards of up to the longer length, so that no shard
// waits much longer than one long test while few suite processes start.
const double ownShardSeconds = 1.0;
const double sharedShardSeconds = 2.0;

// Qt Test options that take the next argument as their value (and the GUI
// application's -platform).
const QStringList optionsWithValue = {
    QStringLiteral("-o"),
    QStringLiteral("-eventdelay"),
    QStringLiteral("-keydelay"),
    QStringLiteral("-mousedelay"),
    QStringLiteral("-maxwarnings"),
    QStringLiteral("-perfcounter"),
    QStringLiteral("-minimumvalue"),
    QStringLiteral("-minimumtotal"),
    QStringLiteral("-iterations"),
    QStringLiteral("-median"),
    QStringLiteral("-platform"),
};

// A run of a function or row whose time the caller does not know.
const double quickSeconds = 0.05;

bool sameTest(const ShardPlan::Test &a, const ShardPlan::Test &b) { return a.function == b.function && a.row == b.row; }

} // namespace

QString ShardPlan::Test::testName() const { return TestVerdict::testName(function, row); }

QString ShardPlan::Test::selectionWord() const { return row.isEmpty() ? function : function + QLatin1Char(':') + row; }

bool ShardPlan::readListing(const QByteArray &listing, QVector<Test> *tests, QString *error)
{
    const QList<QByteArray> lines = listing.split('\n');
    for (const QByteArray &rawLine : lines) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty())
            continue;
        // "TestDeliveries testDelivery DPD Prio": class, function, then the row.
        const int functionStart = line.indexOf(QLatin1Char(' '));
        if (functionStart < 0 || line.contains(QLatin1String(" __global__ "))) {
            *error = QStringLiteral("cannot read the suite's -datatags line '%1'").arg(line);
            return false;
        }
        const int rowStart = line.indexOf(QLatin1Char(' '), functionStart + 1);
        Test test;
        test.function = line.mid(functionStart + 1, rowStart < 0 ? -1 : rowStart - functionStart - 1);
        if (rowStart >= 0)
            test.row = line.mid(rowStart + 1);
        tests->append(test);
    }
    if (tests->isEmpty()) {
        *error = QStringLiteral("the suite's -datatags listing names no test function");
        return false;
    }
    return true;
}

bool ShardPlan::make(const QByteArray &listing, const QStringList &selections,
                     const QHash<QString, double> &expectedSeconds, ShardPlan *plan, QString *error)
{
    QVector<Test> listed;
    if (!readListing(listing, &listed, error))
        return false;
    QVector<Test> selected;
    if (!RowFilter(selections).apply(listed, &selected, error))
        return false;

    plan->m_shards.clear();
    plan->m_testNames.clear();
    for (const Test &test : qAsConst(selected))
        plan->m_testNames.append(test.testName());
    QVector<Test> shared;
    double sharedSeconds = 0;
    for (const Test &test : qAsConst(selected)) {
        const double seconds = expectedSeconds.value(test.testName(),
                                                     expectedSeconds.value(test.function, quickSeconds));
        if (seconds >= ownShardSeconds) {
            plan->addShard({test}, seconds, true, listed);
            continue;
        }
        if (!shared.isEmpty() && sharedSeconds + seconds > sharedShardSeconds) {
            plan->addShard(shared, sharedSeconds, false, listed);
            shared.clear();
            sharedSeconds = 0;
        }
        shared.append(test);
        sharedSeconds += seconds;
    }
    if (!shared.isEmpty())
        plan->addShard(shared, sharedSeconds, false, listed);

    // Shards in the order of their first test.
    std::stable_sort(plan->m_shards.begin(), plan->m_shards.end(), [&listed](const Shard &a, const Shard &b) {
        auto position = [&listed](const Test &test) {
            return std::find_if(listed.cbegin(), listed.cend(), [&test](const Test &t) { return sameTest(t, test); })
                   - listed.cbegin();
        };
        return position(a.tests.constFirst()) < position(b.tests.constFirst());
    });
    return true;
}

QHash<QString, double> ShardPlan::combinedExpectations(const QHash<QString, double> &builtIn,
                                                       const QHash<QString, double> &measured)
{
    QHash<QString, double> combined = builtIn;
    combined.insert(measured);
    return combined;
}

ShardPlan ShardPlan::slice(int index, int count) const
{
    QVector<int> order(m_shards.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [this](int a, int b) { return m_shards.at(a).expectedSeconds > m_shards.at(b).expectedSeconds; });

    QVector<double> load(count, 0);
    QVector<bool> taken(m_shards.size(), false);
    for (int shard : qAsConst(order)) {
        const int lightest = std::min_element(load.cbegin(), load.cend()) - load.cbegin();
        load[lightest] += m_shards.at(shard).expectedSeconds;
        taken[shard] = lightest == index - 1;
    }

    ShardPlan part;
    QStringList names;
    for (int i = 0; i < m_shards.size(); ++i) {
        if (!taken.at(i))
            continue;
        part.m_shards.append(m_shards.at(i));
        for (const Test &test : m_shards.at(i).tests)
            names.append(test.testName());
    }
    for (const QString &name : m_testNames) {
        if (names.contains(name))
            part.m_testNames.append(name);
    }
    return part;
}

QVector<ShardPlan::Shard> ShardPlan::processes(bool asOneProcess) const
{
    if (!asOneProcess || m_shards.isEmpty())
        return m_shards;
    Shard all;
    for (const Shard &shard : m_shards) {
        all.tests += shard.tests;
        all.selections += shard.selections;
        all.expectedSeconds += shard.expectedSeconds;
    }
    return {all};
}

QStringList ShardPlan::testNames() const { return m_testNames; }

void ShardPlan::splitSuiteArguments(const QStringList &arguments, QStringList *selections, QStringList *options)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!argument.startsWith(QLatin1Char('-'))) {
            selections->append(argument);
            continue;
        }
        options->append(argument);
        if (optionsWithValue.contains(argument) && i + 1 < arguments.size())
            options->append(arguments.at(++i));
    }
}

void ShardPlan::addShard(const QVector<Test> &tests, double seconds, bool runsAlone, const QVector<Test> &listed)
{
    Shard shard;
    shard.tests = tests;
    shard.expectedSeconds = seconds;
    shard.runsAlone = runsAlone;
    shard.selections = selectionsOf(tests, listed);
    m_shards.append(shard);
}

QStringList ShardPlan::selectionsOf(const QVector<Test> &tests, const QVector<Test> &listed)
{
    QStringList selections;
    for (int i = 0; i < tests.size(); ++i) {
        const Test &test = tests.at(i);
        if (i > 0 && tests.at(i - 1).function == test.function)
            continue;
        const auto listedRows = std::count_if(listed.cbegin(), listed.cend(),
                                              [&test](const Test &t) { return t.function == test.function; });
        const auto shardRows = std::count_if(tests.cbegin(), tests.cend(),
                                             [&test](const Test &t) { return t.function == test.function; });
        if (shardRows == listedRows) {
            selections.append(test.function);
            continue;
        }
        for (const Test &row : tests) {
            if (row.function == test.function)
                selections.append(row.selectionWord());
        }
    }
    return selections;
}
