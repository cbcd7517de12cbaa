#ifndef PLAVODELIVERY_PLAVODELIVERYPLUGIN_H
#define PLAVODELIVERY_PLAVODELIVERYPLUGIN_H

#include "experienceplugin.h"

class DeliveryExperience;

class PlavoDeliveryPlugin : public ExperiencePlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ExperiencePlugin_iid FILE "plavodelivery.json")
    Q_INTERFACES(ExperiencePlugin)
public:
    explicit PlavoDeliveryPlugin(QObject *parent = nullptr);

    QString name() const override;
    QString version() const override;
    bool initialize(ExperienceContext *context, QString *errorMessage) override;

private:
    DeliveryExperience *m_experience = nullptr;
};

#endif // PLAVODELIVERY_PLAVODELIVERYPLUGIN_H
