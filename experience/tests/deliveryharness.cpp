#include "deliveryharness.h"
#include "deliveryexperience.h"
#include "deliveryservice.h"
#include "fakeexperiencecontext.h"

#include <QJsonDocument>

static QVariant throughJson(const QVariant &value) { return QJsonDocument::fromVariant(value).toVariant(); }

DeliveryHarness::DeliveryHarness()
    : m_thingsOpen(m_things.open(m_folder.filePath(QStringLiteral("things.sqlite"))))
{
}

DeliveryHarness::~DeliveryHarness() { stop(); }

bool DeliveryHarness::start()
{
    if (!m_thingsOpen)
        return false;
    m_context = std::make_unique<FakeExperienceContext>(m_things.manager(),
                                                        m_folder.filePath(QStringLiteral("plavodelivery.sqlite")));
    m_experience = std::make_unique<DeliveryExperience>();
    QString error;
    if (!m_experience->setUp(m_context.get(), &error)) {
        qWarning() << "Setting up the delivery experience failed:" << error;
        m_experience.reset();
        return false;
    }
    return true;
}

void DeliveryHarness::stop()
{
    m_experience.reset();
    m_context.reset();
}

bool DeliveryHarness::restart()
{
    stop();
    return start();
}

FakeThings *DeliveryHarness::things() { return &m_things; }
DeliveryExperience *DeliveryHarness::experience() const { return m_experience.get(); }

QSqlDatabase DeliveryHarness::database() const { return QSqlDatabase::database(m_context->connectionName(), false); }

DeliveryHarness::Reply DeliveryHarness::call(const QString &method, const QVariantMap &params)
{
    return callParsed(method, throughJson(params));
}

DeliveryHarness::Reply DeliveryHarness::callJson(const QString &method, const QByteArray &params)
{
    return callParsed(method, QJsonDocument::fromJson(params).toVariant());
}

DeliveryHarness::Reply DeliveryHarness::callParsed(const QString &method, const QVariant &params)
{
    const JsonReply reply = m_experience->service()->call(method, params.toMap());
    return Reply{reply.isSuccess(), throughJson(reply.params()).toMap(), reply.errorMessage()};
}

QVariantList DeliveryHarness::listing()
{
    return call(QStringLiteral("GetDeliveries")).params.value(QStringLiteral("deliveries")).toList();
}

QVariantMap DeliveryHarness::deliveryRecord(const QString &deliveryId)
{
    const Reply reply = call(QStringLiteral("GetDeliveries"), {{QStringLiteral("deliveryId"), deliveryId}});
    return reply.params.value(QStringLiteral("deliveries")).toList().value(0).toMap();
}

QString DeliveryHarness::addDelivery(const QVariantMap &delivery)
{
    const Reply reply = call(QStringLiteral("AddDelivery"), {{QStringLiteral("delivery"), delivery}});
    return reply.params.value(QStringLiteral("deliveryId")).toString();
}
