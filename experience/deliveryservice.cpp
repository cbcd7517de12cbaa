#include "deliveryservice.h"
#include "deliveryparser.h"
#include "deliverystore.h"
#include "deliveryvalidator.h"
#include "logtext.h"
#include "plavoexperiencelogging.h"
#include "thinginterfaces.h"
#include "thingmanager.h"
#include "uuidtext.h"
#include "variantparser.h"

#include <QDateTime>
#include <QJsonArray>

static const QString deliveryErrorKey = QStringLiteral("deliveryError");

DeliveryService::DeliveryService(ThingManager *thingManager, DeliveryStore *store, QObject *parent)
    : JsonHandler(QStringLiteral("PlavoDelivery"), parent)
    , m_thingManager(thingManager)
    , m_store(store)
{
    registerMethod(QStringLiteral("Status"), [this](const QVariantMap &params) { return status(params); });
    registerMethod(QStringLiteral("AddDelivery"), [this](const QVariantMap &params) { return addDelivery(params); });
    registerMethod(QStringLiteral("GetDeliveries"),
                   [this](const QVariantMap &params) { return getDeliveries(params); });
    registerMethod(QStringLiteral("RemoveDelivery"),
                   [this](const QVariantMap &params) { return removeDelivery(params); });
}

JsonReply DeliveryService::status(const QVariantMap &params) const
{
    Q_UNUSED(params)
    const bool available = !m_thingManager->findThingsByInterface(ThingInterfaces::garageGate()).isEmpty()
                           && !m_thingManager->findThingsByInterface(ThingInterfaces::parcelScanner()).isEmpty();
    return JsonReply::success({{QStringLiteral("available"), available}});
}

JsonReply DeliveryService::addDelivery(const QVariantMap &params)
{
    const QString method = QStringLiteral("AddDelivery");
    if (!params.contains(QStringLiteral("delivery")))
        return invalidParameter(method, QStringLiteral("delivery"), QStringLiteral("is missing"));

    DeliveryParser parser;
    if (!parser.parseRequest(params.value(QStringLiteral("delivery")))) {
        QVariantMap errorParams;
        if (parser.errorDeliveryError() != DeliveryError::NoError)
            errorParams.insert(deliveryErrorKey, deliveryErrorName(parser.errorDeliveryError()));
        return invalidParameter(method, parser.errorParameter(), parser.errorReason(), errorParams);
    }

    Delivery delivery = parser.delivery();
    const DeliveryError error = DeliveryValidator(m_thingManager).check(delivery);
    if (error != DeliveryError::NoError)
        return deliveryErrorReply(error);

    delivery.setId(QUuid::createUuid());
    delivery.setCreatedTimestamp(QDateTime::currentMSecsSinceEpoch() / 1000);
    QString storageError;
    if (!m_store->add(delivery, &storageError))
        return storageFailure(method, storageError);

    qCDebug(dcPlavoExperience) << "Added delivery" << delivery.id() << LogText::shortened(delivery.name());
    return deliveryErrorReply(DeliveryError::NoError, {{QStringLiteral("deliveryId"), Korvu::idText(delivery.id())}});
}

JsonReply DeliveryService::getDeliveries(const QVariantMap &params) const
{
    const QString key = QStringLiteral("deliveryId");
    // The listing goes out as the store's own JSON array, shared rather than
    // copied: no record is turned into a variant map on this side.
    if (!params.contains(key))
        return JsonReply::success({{QStringLiteral("deliveries"), m_store->listing()}});

    QUuid deliveryId;
    if (!VariantParser::toUuid(params.value(key), &deliveryId))
        return invalidParameter(QStringLiteral("GetDeliveries"), key, QStringLiteral("must be a UUID"));
    QJsonArray deliveries;
    if (m_store->contains(deliveryId))
        deliveries.append(m_store->delivery(deliveryId).record());
    return JsonReply::success({{QStringLiteral("deliveries"), deliveries}});
}

JsonReply DeliveryService::removeDelivery(const QVariantMap &params)
{
    const QString method = QStringLiteral("RemoveDelivery");
    const QString key = QStringLiteral("deliveryId");
    QUuid deliveryId;
    if (!params.contains(key))
        return invalidParameter(method, key, QStringLiteral("is missing"));
    if (!VariantParser::toUuid(params.value(key), &deliveryId))
        return invalidParameter(method, key, QStringLiteral("must be a UUID"));
    if (!m_store->contains(deliveryId))
        return deliveryErrorReply(DeliveryError::DeliveryNotFound);

    QString storageError;
    if (!m_store->remove(deliveryId, &storageError))
        return storageFailure(method, storageError);
    qCDebug(dcPlavoExperience) << "Removed delivery" << deliveryId;
    return deliveryErrorReply(DeliveryError::NoError);
}

JsonReply DeliveryService::invalidParameter(const QString &method, const QString &parameter, const QString &reason,
                                            const QVariantMap &params) const
{
    return JsonReply::error(QStringLiteral("%1.%2: parameter \"%3\" %4").arg(name(), method, parameter, reason),
                            params);
}

JsonReply DeliveryService::storageFailure(const QString &method, const QString &reason) const
{
    qCWarning(dcPlavoExperience) << "Cannot store the change of" << method << reason;
    return JsonReply::error(QStringLiteral("%1.%2: the change could not be stored: %3").arg(name(), method, reason));
}

JsonReply DeliveryService::deliveryErrorReply(DeliveryError error, const QVariantMap &extra)
{
    QVariantMap params = extra;
    params.insert(deliveryErrorKey, deliveryErrorName(error));
    return JsonReply::success(params);
}
