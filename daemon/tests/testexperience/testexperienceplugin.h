#ifndef KORVUD_TESTS_TESTEXPERIENCEPLUGIN_H
#define KORVUD_TESTS_TESTEXPERIENCEPLUGIN_H

#include "experienceplugin.h"

class TestExperienceHandler;

// An experience plug-in for the daemon's own tests. With
// KORVU_TESTEXPERIENCE_FAIL=1 it registers its handler and then fails to initialize.
class TestExperiencePlugin : public ExperiencePlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ExperiencePlugin_iid FILE "testexperience.json")
    Q_INTERFACES(ExperiencePlugin)
public:
    explicit TestExperiencePlugin(QObject *parent = nullptr);

    QString name() const override;
    QString version() const override;
    bool initialize(ExperienceContext *context, QString *errorMessage) override;

private:
    TestExperienceHandler *m_handler = nullptr;
};

#endif // KORVUD_TESTS_TESTEXPERIENCEPLUGIN_H
