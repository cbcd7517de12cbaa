#include "thingstore.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using StoredThing = ThingStore::StoredThing;

namespace {

QStringList describe(const QList<StoredThing> &things)
{
    QStringList lines;
    for (const StoredThing &thing : things)
        lines.append(thing.id.toString() + QLatin1Char(' ') + thing.thingClassId.toString() + QLatin1Char(' ')
                     + thing.name);
    return lines;
}

} // namespace

class TestThingStore : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void testChangesAreKeptAcrossReopening();
    void testOpenFailureIsReported();

private:
    bool reopen();
    QList<StoredThing> load();

    std::unique_ptr<QTemporaryDir> m_dataDir;
    std::unique_ptr<ThingStore> m_store;
};

void TestThingStore::init()
{
    m_dataDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dataDir->isValid());
    QVERIFY(reopen());
}

void TestThingStore::cleanup()
{
    m_store.reset();
    m_dataDir.reset();
}

bool TestThingStore::reopen()
{
    m_store.reset();
    m_store = std::make_unique<ThingStore>();
    QString errorMessage;
    const bool opened = m_store->open(m_dataDir->filePath(QStringLiteral("things.sqlite")), &errorMessage);
    if (!opened)
        qWarning() << errorMessage;
    return opened;
}

QList<StoredThing> TestThingStore::load()
{
    QString errorMessage;
    const QList<StoredThing> things = m_store->loadThings(&errorMessage);
    if (!errorMessage.isEmpty())
        qWarning() << errorMessage;
    return things;
}

void TestThingStore::testChangesAreKeptAcrossReopening()
{
    const QUuid lampClass = QUuid::createUuid();
    const QList<StoredThing> things{
        {QUuid::createUuid(), lampClass, QStringLiteral("First")},
        {QUuid::createUuid(), QUuid::createUuid(), QStringLiteral("Second \"quoted\" ünïcode ✓")},
        {QUuid::createUuid(), lampClass, QStringLiteral("")},
        {QUuid::createUuid(), lampClass, QStringLiteral("Fourth")},
    };
    QString errorMessage;
    for (const StoredThing &thing : things)
        QVERIFY2(m_store->insertThing(thing, &errorMessage), qPrintable(errorMessage));
    QVERIFY2(m_store->removeThing(things.at(2).id, &errorMessage), qPrintable(errorMessage));
    const QStringList expected = describe({things.at(0), things.at(1), things.at(3)});
    QCOMPARE(describe(load()), expected);

    QVERIFY(reopen());
    QCOMPARE(describe(load()), expected);
}

void TestThingStore::testOpenFailureIsReported()
{
    // Only one store can be open at a time: they share the connection name.
    m_store.reset();
    // A folder that cannot be made: a file stands in its way.
    QFile blocker(m_dataDir->filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    ThingStore store;
    QString errorMessage;
    QVERIFY(!store.open(m_dataDir->filePath(QStringLiteral("blocker/things.sqlite")), &errorMessage));
    QVERIFY2(errorMessage.contains(QLatin1String("blocker/things.sqlite")), qPrintable(errorMessage));
}

QTEST_GUILESS_MAIN(TestThingStore)
#include "tst_thingstore.moc"
