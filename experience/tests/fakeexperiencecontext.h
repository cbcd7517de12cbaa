#ifndef PLAVODELIVERY_TESTS_FAKEEXPERIENCECONTEXT_H
#define PLAVODELIVERY_TESTS_FAKEEXPERIENCECONTEXT_H

#include "experienceplugin.h"

#include <QList>
#include <QString>

// Hands an experience a thing manager and one SQLite file, as korvud would.
// The experience that used the database must be gone before this is deleted.
class FakeExperienceContext : public ExperienceContext
{
public:
    FakeExperienceContext(ThingManager *thingManager, const QString &databasePath);
    ~FakeExperienceContext() override;

    ThingManager *thingManager() const override;
    void registerJsonHandler(JsonHandler *handler) override;
    QSqlDatabase openDatabase(QString *errorMessage = nullptr) override;

    JsonHandler *handler(const QString &name) const;
    QString connectionName() const;

private:
    ThingManager *m_thingManager;
    QString m_databasePath;
    QString m_connectionName;
    QList<JsonHandler *> m_handlers;
};

#endif // PLAVODELIVERY_TESTS_FAKEEXPERIENCECONTEXT_H
