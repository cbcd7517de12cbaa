#include "fakeexperiencecontext.h"
#include "jsonhandler.h"
#include "storage.h"

#include <QUuid>

FakeExperienceContext::FakeExperienceContext(ThingManager *thingManager, const QString &databasePath)
    : m_thingManager(thingManager)
    , m_databasePath(databasePath)
    , m_connectionName(QStringLiteral("fake-experience-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

FakeExperienceContext::~FakeExperienceContext()
{
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase::database(m_connectionName, false).close();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

ThingManager *FakeExperienceContext::thingManager() const { return m_thingManager; }
void FakeExperienceContext::registerJsonHandler(JsonHandler *handler) { m_handlers.append(handler); }

QSqlDatabase FakeExperienceContext::openDatabase(QString *errorMessage)
{
    return Storage::open(m_databasePath, m_connectionName, errorMessage);
}

JsonHandler *FakeExperienceContext::handler(const QString &name) const
{
    for (JsonHandler *handler : m_handlers) {
        if (handler->name() == name)
            return handler;
    }
    return nullptr;
}

QString FakeExperienceContext::connectionName() const { return m_connectionName; }
