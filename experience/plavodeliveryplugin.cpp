#include "plavodeliveryplugin.h"

PlavoDeliveryPlugin::PlavoDeliveryPlugin(QObject *parent)
    : ExperiencePlugin(parent)
{
}

QString PlavoDeliveryPlugin::name() const { return QStringLiteral("PlavoDelivery"); }
QString PlavoDeliveryPlugin::version() const { return QStringLiteral("0.2"); }

bool PlavoDeliveryPlugin::initialize(ExperienceContext *context, QString *errorMessage)
{
    Q_UNUSED(context)
    Q_UNUSED(errorMessage)
    return true;
}
