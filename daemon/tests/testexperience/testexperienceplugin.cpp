#include "testexperienceplugin.h"

#include "testexperiencehandler.h"

#include <QSqlError>
#include <QSqlQuery>

TestExperiencePlugin::TestExperiencePlugin(QObject *parent)
    : ExperiencePlugin(parent)
{
}

QString TestExperiencePlugin::name() const { return QStringLiteral("TestExperience"); }
QString TestExperiencePlugin::version() const { return QStringLiteral("1.0"); }

bool TestExperiencePlugin::initialize(ExperienceContext *context, QString *errorMessage)
{
    m_handler = new TestExperienceHandler(context->thingManager(), this);
    context->registerJsonHandler(m_handler);
    if (qgetenv("KORVU_TESTEXPERIENCE_FAIL") == "1") {
        *errorMessage = QStringLiteral("asked to fail");
        return false;
    }

    QSqlDatabase database = context->openDatabase(errorMessage);
    if (!database.isValid())
        return false;
    QSqlQuery query(database);
    if (!query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS marks (mark TEXT)"))) {
        *errorMessage = query.lastError().text();
        return false;
    }
    return true;
}
