#ifndef PLAVODELIVERY_TESTS_DELIVERYHARNESS_H
#define PLAVODELIVERY_TESTS_DELIVERYHARNESS_H

#include "fakethings.h"

#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QVariantMap>

#include <memory>

class DeliveryExperience;
class FakeExperienceContext;

// The delivery experience on fake things and a database in a temporary
// folder, driven the way korvud drives it: requests and replies pass
// through JSON, and a restart sets everything up again from the same file
// while the things stay.
class DeliveryHarness
{
public:
    struct Reply
    {
        bool success = false;
        QVariantMap params;
        QString errorMessage;
    };

    DeliveryHarness();
    ~DeliveryHarness();

    bool start();
    void stop();
    bool restart();

    FakeThings *things();
    DeliveryExperience *experience() const;
    QSqlDatabase database() const;

    Reply call(const QString &method, const QVariantMap &params = QVariantMap());
    // params as JSON text, for input no variant map could express.
    Reply callJson(const QString &method, const QByteArray &params);

    QVariantList listing();
    QVariantMap deliveryRecord(const QString &deliveryId);
    QString addDelivery(const QVariantMap &delivery);

private:
    Reply callParsed(const QString &method, const QVariant &params);

    QTemporaryDir m_folder;
    FakeThings m_things;
    bool m_thingsOpen;
    std::unique_ptr<FakeExperienceContext> m_context;
    std::unique_ptr<DeliveryExperience> m_experience;
};

#endif // PLAVODELIVERY_TESTS_DELIVERYHARNESS_H
