#include "deliveryexperience.h"
#include "deliveryflow.h"
#include "deliveryservice.h"
#include "deliverystore.h"
#include "experienceplugin.h"
#include "plavoexperiencelogging.h"

DeliveryExperience::DeliveryExperience(QObject *parent)
    : QObject(parent)
{
}

// The service and the flow are children and go before the store they use.
DeliveryExperience::~DeliveryExperience()
{
    delete m_flow;
    delete m_service;
}

bool DeliveryExperience::setUp(ExperienceContext *context, QString *errorMessage)
{
    QString databaseError;
    const QSqlDatabase database = context->openDatabase(&databaseError);
    if (!database.isValid() || !database.isOpen()) {
        *errorMessage = QStringLiteral("Cannot open the delivery database: %1").arg(databaseError);
        return false;
    }

    auto store = std::make_unique<DeliveryStore>(database);
    QString loadError;
    if (!store->load(&loadError)) {
        *errorMessage = QStringLiteral("Cannot read the stored deliveries: %1").arg(loadError);
        return false;
    }
    m_store = std::move(store);
    m_service = new DeliveryService(context->thingManager(), m_store.get(), this);
    m_flow = new DeliveryFlow(context->thingManager(), m_store.get(), this);
    context->registerJsonHandler(m_service);
    qCDebug(dcPlavoExperience) << "Delivery service ready";
    return true;
}

DeliveryStore *DeliveryExperience::store() const { return m_store.get(); }
DeliveryService *DeliveryExperience::service() const { return m_service; }
DeliveryFlow *DeliveryExperience::flow() const { return m_flow; }
