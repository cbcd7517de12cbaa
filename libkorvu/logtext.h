#ifndef LIBKORVU_LOGTEXT_H
#define LIBKORVU_LOGTEXT_H

#include "korvu_global.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

// Client-controlled text (thing names, request targets, event and action
// parameters) made fit for one log line: characters that could break or
// disguise the line are escaped, and whatever is longer than maxLength is cut
// and marked, so that no client can write huge or forged lines into our log.
namespace LogText {

constexpr int maxLength = 80;

KORVU_EXPORT QString shortened(const QString &text, int limit = maxLength);
// UTF-8, or anything else: invalid bytes become replacement characters.
KORVU_EXPORT QString shortened(const QByteArray &text, int limit = maxLength);
// "{name: value, ...}" with every key and value shortened.
KORVU_EXPORT QString shortened(const QVariantMap &map);

} // namespace LogText

#endif // LIBKORVU_LOGTEXT_H
