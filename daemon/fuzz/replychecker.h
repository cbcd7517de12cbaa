#ifndef KORVUD_FUZZ_REPLYCHECKER_H
#define KORVUD_FUZZ_REPLYCHECKER_H

#include <QJsonObject>

// What every reply of the daemon must look like, whatever the request was:
// {"id": the request's id or null, "status": "success" | "error",
//  "params": {...}} plus a non-empty "error" text exactly when the status is
// error, and it must read back unchanged through the daemon's own framing.
class ReplyChecker
{
public:
    static void checkReply(const QJsonObject &request, const QJsonObject &reply);
    static void checkFramingErrorReply(const QJsonObject &reply);

private:
    static void checkShape(const QJsonObject &reply);
    static void checkReadsBack(const QJsonObject &reply);
};

#endif // KORVUD_FUZZ_REPLYCHECKER_H
