#ifndef SELFTEST_SUITETEXTS_H
#define SELFTEST_SUITETEXTS_H

// The expression texts the suite reports with its failed verifications, and
// the messages it logs, character for character.
namespace SuiteTexts {

// Logged as a warning, followed by the socket error, for every failed attempt
// to connect to the daemon.
constexpr char connectionError[] = "Error connecting to korvu";

// Handshake
constexpr char hasExperiences[] = R"(reply.toMap().value("params").toMap().contains("experiences"))";
constexpr char hasDeliveryExperience[] =
    R"(reply.toMap().value("params").toMap().value("experiences").toList().contains(experienceDefinition))";
constexpr char noAuthentication[] =
    R"(reply.toMap().value("params").toMap().value("authenticationRequired").toBool() == false)";
constexpr char connectionBound[] = "elapsed.elapsed() < connectionBoundMs";

// Availability
constexpr char availableAsExpected[] =
    R"(response.toMap().value("params").toMap().value("available").toBool() == available)";

// Adding
constexpr char addStatusAsExpected[] =
    R"(response.toMap().value("status").toString() == (jsonSuccess ? "success" : "error"))";
constexpr char addErrorAsExpected[] =
    R"(response.toMap().value("params").toMap().value("deliveryError").toString() == deliveryError)";
constexpr char deliveryIdNotNull[] = "!deliveryId.isNull()";
constexpr char addedDeliveryFound[] = "!addedDelivery.isNull()";
constexpr char addedDeliveryEqual[] = "addedDelivery == QJsonDocument::fromVariant(delivery).toVariant().toMap()";

// Listing and removal
constexpr char resultSuccess[] = R"(result.toMap().value("status").toString() == "success")";
constexpr char resultCount[] =
    R"(result.toMap().value("params").toMap().value("deliveries").toList().count() == deliveryCount)";
constexpr char found[] = "found";
constexpr char notFound[] = "!found";
constexpr char resultNoError[] =
    R"(result.toMap().value("params").toMap().value("deliveryError").toString() == "DeliveryErrorNoError")";

// Persistence
constexpr char responseSuccess[] = R"(response.toMap().value("status").toString() == "success")";
constexpr char responseNoError[] =
    R"(response.toMap().value("params").toMap().value("deliveryError").toString() == "DeliveryErrorNoError")";
constexpr char loadedDeliveryFound[] = "!loadedDelivery.isNull()";
constexpr char loadedAfterRestartFound[] = "!loadedDeliveryAfterRestert.isNull()";
constexpr char loadedDeliveriesEqual[] = "loadedDelivery == loadedDeliveryAfterRestert";

// End-to-end delivery
constexpr char oneScannerAction[] = R"(scannerActionHistory.split('\n').count() == 1)";
constexpr char gateOpenAsExpected[] =
    R"(actions.contains(QUuid("2eb6135e-579f-4b9a-be7b-785d664a3875").toString()) == accessGranted)";
constexpr char notifiedAsExpected[] =
    R"(actions.contains(QUuid("86ed7935-5c88-4810-a94c-50a39946a04c").toString()) == accessGranted)";
constexpr char isOpen[] = "isOpen";
constexpr char isClosed[] = "isClosed";
constexpr char finalListingNotEmpty[] = "!deliveries.isEmpty()";
constexpr char finalDeliveryId[] = R"(finalDelivery.value("id").toUuid() == deliveryId)";
constexpr char finalDelivered[] = R"(finalDelivery.value("delivered").toBool())";
constexpr char deliveredAfterScan[] =
    R"(QDateTime::fromMSecsSinceEpoch(finalDelivery.value("deliveredTimestamp").toLongLong() * 1000) > scanTime)";

} // namespace SuiteTexts

#endif // SELFTEST_SUITETEXTS_H
