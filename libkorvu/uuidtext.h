#ifndef LIBKORVU_UUIDTEXT_H
#define LIBKORVU_UUIDTEXT_H

#include "korvu_global.h"

#include <QString>
#include <QStringView>
#include <QUuid>

// Ids as text, the way the daemon and its plug-ins write them into replies
// and storage, and read them from clients.
namespace Korvu {

// Bare and lower-case, "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx": the form Qt's
// JSON conversion gives a QUuid.
KORVU_EXPORT QString idText(const QUuid &id);

// Reads exactly 8-4-4-4-12 ASCII hex digits with dashes, bare or inside
// braces, in any letter case, with nothing before or after; QUuid's own
// parser would also take a missing closing brace or trailing text. Returns
// false and leaves uuid untouched for anything else. The null UUID is read
// like any other: whether it means anything is the caller's decision.
KORVU_EXPORT bool parseUuid(QStringView text, QUuid *uuid);

} // namespace Korvu

#endif // LIBKORVU_UUIDTEXT_H
