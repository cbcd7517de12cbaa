#ifndef REQUESTPARAMS_H
#define REQUESTPARAMS_H

#include <QString>
#include <QUuid>
#include <QVariantMap>

// Reads the parameters of one JSON-RPC call. The first failing read keeps an
// error message that names the method and the parameter.
class RequestParams
{
public:
    RequestParams(const QString &method, const QVariantMap &params);

    bool readString(const QString &name, QString *value);
    // Text as Korvu::parseUuid reads it; the null UUID names nothing and is refused.
    bool readUuid(const QString &name, QUuid *value);
    // A missing map reads as empty.
    bool readOptionalMap(const QString &name, QVariantMap *value);

    QString errorMessage() const;

private:
    bool fail(const QString &name, const QString &problem);

    QString m_method;
    QVariantMap m_params;
    QString m_errorMessage;
};

#endif // REQUESTPARAMS_H
