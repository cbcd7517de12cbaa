#include "testexperiencehandler.h"

#include "thingmanager.h"
#include "uuidtext.h"

#include <QJsonDocument>
#include <QJsonObject>

using Korvu::idText;

TestExperienceHandler::TestExperienceHandler(ThingManager *thingManager, QObject *parent)
    : JsonHandler(QStringLiteral("TestExperience"), parent)
{
    connect(thingManager, &ThingManager::thingAdded, this, [this](Thing *thing) {
        record(QStringLiteral("thingAdded %1 %2").arg(idText(thing->id()), thing->name()));
    });
    connect(thingManager, &ThingManager::thingRemoved, this, [this, thingManager](const QUuid &thingId) {
        const bool stillListed = thingManager->findThing(thingId) != nullptr;
        record(QStringLiteral("thingRemoved %1%2")
                   .arg(idText(thingId), stillListed ? QStringLiteral(" still listed") : QString()));
    });
    connect(thingManager, &ThingManager::thingStateChanged, this,
            [this](Thing *thing, const QUuid &stateTypeId, const QVariant &value) {
                record(QStringLiteral("stateChanged %1 %2 %3")
                           .arg(idText(thing->id()), idText(stateTypeId), value.toString()));
            });
    connect(thingManager, &ThingManager::eventTriggered, this, [this](const Event &event) {
        const QByteArray params = QJsonDocument(QJsonObject::fromVariantMap(event.params))
                                      .toJson(QJsonDocument::Compact);
        record(QStringLiteral("event %1 %2 %3")
                   .arg(idText(event.thingId), idText(event.eventTypeId), QString::fromUtf8(params)));
    });

    registerMethod(QStringLiteral("TakeNotifications"), [this](const QVariantMap &) {
        const QStringList notifications = m_notifications;
        m_notifications.clear();
        return JsonReply::success({{QStringLiteral("notifications"), notifications}});
    });
}

void TestExperienceHandler::record(const QString &line) { m_notifications.append(line); }

// The meta-object code goes into this object file itself: CMake collects moc
// output of an object library into a file of its own that the Makefiles
// generator does not pass on to the targets linking these objects.
#include "moc_testexperiencehandler.cpp"
