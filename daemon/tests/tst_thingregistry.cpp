#include "requestpath.h"
#include "testexperiencehandler.h"
#include "testthingids.h"
#include "uuidtext.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Korvu::idText;

namespace {

// Offers the test plug-in's thing classes as well, but refuses every thing.
class RefusingRival : public TestThingsPlugin
{
public:
    QString pluginName() const override { return QStringLiteral("RefusingRival"); }
    Korvu::ThingError setupThing(Thing *) override { return Korvu::ThingErrorHardwareNotAvailable; }
};

} // namespace

class TestThingRegistry : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void testAddThing_data();
    void testAddThing();
    void testFirstPluginKeepsAThingClass_data();
    void testFirstPluginKeepsAThingClass();
    void testRemoveThing();
    void testThingsComeBackInOrder();
    void testThingWhoseSetupFailsStaysStored();
    void testExperienceSeesThingChanges();
    void testStoreFailure_data();
    void testStoreFailure();

private:
    bool reopen();
    ThingRegistry &registry();
    QUuid addLamp(const QString &name);
    Korvu::ThingError setPower(const QUuid &thingId, bool power);
    bool power(const QUuid &thingId);
    // "<id> <name>" per thing, in order.
    QStringList running();
    QStringList stored();

    std::unique_ptr<QTemporaryDir> m_dataDir;
    std::unique_ptr<RequestPath> m_requestPath;
};

void TestThingRegistry::init()
{
    m_dataDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dataDir->isValid());
    QVERIFY(reopen());
}

void TestThingRegistry::cleanup()
{
    qunsetenv(TestThingIds::refuseLampsVariable);
    m_requestPath.reset();
    m_dataDir.reset();
}

// As korvud does after a restart: everything set up again from the store.
bool TestThingRegistry::reopen()
{
    m_requestPath.reset();
    m_requestPath = std::make_unique<RequestPath>();
    QString errorMessage;
    if (m_requestPath->open(m_dataDir->path(), &errorMessage))
        return true;
    qWarning() << errorMessage;
    return false;
}

ThingRegistry &TestThingRegistry::registry() { return m_requestPath->registry(); }

QUuid TestThingRegistry::addLamp(const QString &name)
{
    QUuid thingId;
    QString errorMessage;
    const Korvu::ThingError error = registry().addThing(TestThingIds::lampClass, name, &thingId, &errorMessage);
    if (error != Korvu::ThingErrorNoError)
        qWarning() << "Adding a lamp failed:" << error << errorMessage;
    return thingId;
}

Korvu::ThingError TestThingRegistry::setPower(const QUuid &thingId, bool power)
{
    return registry().executeAction({thingId, TestThingIds::setPowerAction, {{QStringLiteral("power"), power}}});
}

bool TestThingRegistry::power(const QUuid &thingId)
{
    return registry().findThing(thingId)->stateValue(TestThingIds::powerState).toBool();
}

QStringList TestThingRegistry::running()
{
    QStringList things;
    for (const Thing *thing : registry().things())
        things.append(idText(thing->id()) + QLatin1Char(' ') + thing->name());
    return things;
}

QStringList TestThingRegistry::stored()
{
    QStringList things;
    QString errorMessage;
    for (const ThingStore::StoredThing &thing : m_requestPath->store().loadThings(&errorMessage))
        things.append(idText(thing.id) + QLatin1Char(' ') + thing.name);
    if (!errorMessage.isEmpty())
        qWarning() << errorMessage;
    return things;
}

void TestThingRegistry::testAddThing_data()
{
    QTest::addColumn<QUuid>("thingClassId");
    QTest::addColumn<Korvu::ThingError>("expectedError");

    QTest::newRow("lamp") << TestThingIds::lampClass << Korvu::ThingErrorNoError;
    QTest::newRow("unknown class") << QUuid::createUuid() << Korvu::ThingErrorThingClassNotFound;
    QTest::newRow("refused by its plug-in") << TestThingIds::refusingClass << Korvu::ThingErrorHardwareNotAvailable;
}

void TestThingRegistry::testAddThing()
{
    QFETCH(QUuid, thingClassId);
    QFETCH(Korvu::ThingError, expectedError);

    QSignalSpy added(&registry(), &ThingManager::thingAdded);
    QUuid thingId;
    QString errorMessage;
    QCOMPARE(registry().addThing(thingClassId, QStringLiteral("Thing"), &thingId, &errorMessage), expectedError);
    QCOMPARE(errorMessage, QString());

    const bool isAdded = expectedError == Korvu::ThingErrorNoError;
    QCOMPARE(thingId.isNull(), !isAdded);
    const QStringList expected = isAdded ? QStringList{idText(thingId) + QStringLiteral(" Thing")} : QStringList();
    QCOMPARE(running(), expected);
    QCOMPARE(stored(), expected);
    QCOMPARE(added.count(), isAdded ? 1 : 0);
}

void TestThingRegistry::testFirstPluginKeepsAThingClass_data()
{
    QTest::addColumn<bool>("rivalFirst");
    QTest::addColumn<Korvu::ThingError>("expectedError");

    QTest::newRow("accepting plug-in first") << false << Korvu::ThingErrorNoError;
    QTest::newRow("refusing rival first") << true << Korvu::ThingErrorHardwareNotAvailable;
}

void TestThingRegistry::testFirstPluginKeepsAThingClass()
{
    QFETCH(bool, rivalFirst);
    QFETCH(Korvu::ThingError, expectedError);

    // A registry of its own, with two plug-ins offering the same classes.
    m_requestPath.reset();
    ThingStore store;
    QString errorMessage;
    QVERIFY2(store.open(m_dataDir->filePath(QStringLiteral("things.sqlite")), &errorMessage), qPrintable(errorMessage));
    TestThingsPlugin plugin;
    RefusingRival rival;
    ThingRegistry registry(&store);
    const QRegularExpression alreadyOffered(QStringLiteral("is already offered by plug-in"));
    QTest::ignoreMessage(QtWarningMsg, alreadyOffered);
    QTest::ignoreMessage(QtWarningMsg, alreadyOffered);
    registry.addIntegrationPlugin(rivalFirst ? static_cast<TestThingsPlugin *>(&rival) : &plugin);
    registry.addIntegrationPlugin(rivalFirst ? &plugin : static_cast<TestThingsPlugin *>(&rival));

    QUuid thingId;
    QCOMPARE(registry.addThing(TestThingIds::lampClass, QStringLiteral("Lamp"), &thingId, &errorMessage),
             expectedError);
    registry.releaseThings();
}

void TestThingRegistry::testRemoveThing()
{
    const QUuid first = addLamp(QStringLiteral("First"));
    const QUuid second = addLamp(QStringLiteral("Second"));
    QVERIFY(!first.isNull() && !second.isNull());
    const QStringList remaining{idText(second) + QStringLiteral(" Second")};

    QStringList runningWhenSignalled;
    connect(&registry(), &ThingManager::thingRemoved, this, [&] { runningWhenSignalled = running(); });
    QString errorMessage;
    QCOMPARE(registry().removeThing(first, &errorMessage), Korvu::ThingErrorNoError);
    QCOMPARE(runningWhenSignalled, remaining);
    QCOMPARE(running(), remaining);
    QCOMPARE(stored(), remaining);

    QCOMPARE(setPower(first, true), Korvu::ThingErrorThingNotFound);
    QCOMPARE(registry().removeThing(first, &errorMessage), Korvu::ThingErrorThingNotFound);
    QCOMPARE(errorMessage, QString());
}

void TestThingRegistry::testThingsComeBackInOrder()
{
    const QUuid first = addLamp(QStringLiteral("First"));
    const QUuid second = addLamp(QStringLiteral("Second \"quoted\" ünïcode"));
    const QUuid third = addLamp(QStringLiteral("Third"));
    QVERIFY(!first.isNull() && !second.isNull() && !third.isNull());
    QString errorMessage;
    QCOMPARE(registry().removeThing(first, &errorMessage), Korvu::ThingErrorNoError);
    const QStringList expected = running();
    QCOMPARE(expected.size(), 2);

    QVERIFY(reopen());
    QCOMPARE(running(), expected);
    // Set up by their plug-in again, not merely listed.
    QCOMPARE(setPower(third, true), Korvu::ThingErrorNoError);
    QVERIFY(power(third));
}

void TestThingRegistry::testThingWhoseSetupFailsStaysStored()
{
    QVERIFY(!addLamp(QStringLiteral("Lamp")).isNull());
    const QStringList expected = running();

    qputenv(TestThingIds::refuseLampsVariable, "1");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot be set up")));
    QVERIFY(reopen());
    QCOMPARE(running(), QStringList());
    QCOMPARE(stored(), expected);

    qunsetenv(TestThingIds::refuseLampsVariable);
    QVERIFY(reopen());
    QCOMPARE(running(), expected);
}

void TestThingRegistry::testExperienceSeesThingChanges()
{
    TestExperienceHandler experience(&registry());
    const QUuid lampId = addLamp(QStringLiteral("Lamp"));
    QVERIFY(!lampId.isNull());
    const auto press = [&] { return registry().executeAction({lampId, TestThingIds::pressAction, {}}); };
    QCOMPARE(setPower(lampId, true), Korvu::ThingErrorNoError);
    QCOMPARE(setPower(lampId, true), Korvu::ThingErrorNoError);
    QCOMPARE(press(), Korvu::ThingErrorNoError);
    QCOMPARE(press(), Korvu::ThingErrorNoError);
    QString errorMessage;
    QCOMPARE(registry().removeThing(lampId, &errorMessage), Korvu::ThingErrorNoError);

    const QString lamp = idText(lampId);
    const QString pressed = idText(TestThingIds::pressedEvent);
    const QStringList expected{
        "thingAdded " + lamp + " Lamp",
        "stateChanged " + lamp + " " + idText(TestThingIds::powerState) + " true",
        "event " + lamp + " " + pressed + R"( {"count":1})",
        "event " + lamp + " " + pressed + R"( {"count":2})",
        "thingRemoved " + lamp,
    };
    const JsonReply reply = experience.call(QStringLiteral("TakeNotifications"), {});
    QCOMPARE(reply.params().value(QStringLiteral("notifications")).toStringList(), expected);
}

void TestThingRegistry::testStoreFailure_data()
{
    QTest::addColumn<bool>("removing");

    QTest::newRow("adding") << false;
    QTest::newRow("removing") << true;
}

// A change the store refuses does not happen: no thing is added, and a thing
// that cannot be removed keeps running.
void TestThingRegistry::testStoreFailure()
{
    QFETCH(bool, removing);

    const QUuid lampId = removing ? addLamp(QStringLiteral("Lamp")) : QUuid();
    const QStringList before = running();
    {
        QSqlDatabase saboteur = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("saboteur"));
        saboteur.setDatabaseName(m_dataDir->filePath(QStringLiteral("things.sqlite")));
        QVERIFY(saboteur.open());
        QVERIFY(QSqlQuery(saboteur).exec(QStringLiteral("DROP TABLE things")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("saboteur"));

    QSignalSpy added(&registry(), &ThingManager::thingAdded);
    QSignalSpy removed(&registry(), &ThingManager::thingRemoved);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Cannot (store|remove) thing")));
    QString errorMessage;
    QUuid thingId;
    const Korvu::ThingError error = removing ? registry().removeThing(lampId, &errorMessage)
                                             : registry().addThing(TestThingIds::lampClass, QStringLiteral("Lamp"),
                                                                   &thingId, &errorMessage);
    QCOMPARE(error, Korvu::ThingErrorHardwareFailure);
    QVERIFY2(errorMessage.contains(QLatin1String("no such table")), qPrintable(errorMessage));
    QCOMPARE(running(), before);
    QCOMPARE(added.count() + removed.count(), 0);
    if (removing)
        QCOMPARE(setPower(lampId, true), Korvu::ThingErrorNoError);
}

QTEST_GUILESS_MAIN(TestThingRegistry)
#include "tst_thingregistry.moc"
