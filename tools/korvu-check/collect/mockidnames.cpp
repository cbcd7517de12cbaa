#include "collect/mockidnames.h"

#include <deliverymocksids.h>

#include <QRegularExpression>
#include <QUuid>

QStringList MockIdNames::namesIn(const QString &text)
{
    static const QRegularExpression uuid(
        QStringLiteral("[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{12}"));
    QStringList names;
    QRegularExpressionMatchIterator matches = uuid.globalMatch(text);
    while (matches.hasNext()) {
        const QString id = matches.next().captured();
        const char *name = DeliveryMocksIds::nameOf(QUuid(id));
        if (!name)
            continue;
        const QString named = QStringLiteral("%1 = %2").arg(id.left(8).toLower(), QLatin1String(name));
        if (!names.contains(named))
            names.append(named);
    }
    return names;
}

QString MockIdNames::annotation(const QString &text)
{
    const QStringList names = namesIn(text);
    return names.isEmpty() ? QString() : QStringLiteral("  [%1]").arg(names.join(QStringLiteral(", ")));
}
