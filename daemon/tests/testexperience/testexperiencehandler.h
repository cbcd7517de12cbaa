#ifndef KORVUD_TESTS_TESTEXPERIENCEHANDLER_H
#define KORVUD_TESTS_TESTEXPERIENCEHANDLER_H

#include "jsonhandler.h"

#include <QStringList>

class ThingManager;

// "TestExperience.TakeNotifications": what the thing manager told the
// experience since the last call, one line per signal, oldest first.
class TestExperienceHandler : public JsonHandler
{
    Q_OBJECT
public:
    TestExperienceHandler(ThingManager *thingManager, QObject *parent = nullptr);

private:
    void record(const QString &line);

    QStringList m_notifications;
};

#endif // KORVUD_TESTS_TESTEXPERIENCEHANDLER_H
