#ifndef PLAVODELIVERY_DELIVERYEXPERIENCE_H
#define PLAVODELIVERY_DELIVERYEXPERIENCE_H

#include <QObject>

#include <memory>

class DeliveryFlow;
class DeliveryService;
class DeliveryStore;
class ExperienceContext;

// Everything the delivery experience runs, set up from the daemon's context:
// the stored deliveries, the JSON-RPC service and the scan handling.
class DeliveryExperience : public QObject
{
    Q_OBJECT
public:
    explicit DeliveryExperience(QObject *parent = nullptr);
    ~DeliveryExperience() override;

    bool setUp(ExperienceContext *context, QString *errorMessage);

    DeliveryStore *store() const;
    DeliveryService *service() const;
    DeliveryFlow *flow() const;

private:
    std::unique_ptr<DeliveryStore> m_store;
    DeliveryService *m_service = nullptr;
    DeliveryFlow *m_flow = nullptr;
};

#endif // PLAVODELIVERY_DELIVERYEXPERIENCE_H
