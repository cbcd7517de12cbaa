#include "plavodeliveryplugin.h"
#include "deliveryexperience.h"

PlavoDeliveryPlugin::PlavoDeliveryPlugin(QObject *parent)
    : ExperiencePlugin(parent)
{
}

QString PlavoDeliveryPlugin::name() const { return QStringLiteral("PlavoDelivery"); }
QString PlavoDeliveryPlugin::version() const { return QStringLiteral("0.2"); }

bool PlavoDeliveryPlugin::initialize(ExperienceContext *context, QString *errorMessage)
{
    auto experience = new DeliveryExperience(this);
    if (!experience->setUp(context, errorMessage)) {
        delete experience;
        return false;
    }
    m_experience = experience;
    return true;
}
