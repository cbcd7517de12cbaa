#include "experienceplugin.h"

ExperienceContext::~ExperienceContext() = default;

ExperiencePlugin::ExperiencePlugin(QObject *parent)
    : QObject(parent)
{
}

ExperiencePlugin::~ExperiencePlugin() = default;
