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
    bool readUuid(const QString &name, QUuid *value);
    // A missing map reads as empty.
    bool readOptionalMap(const QString &name, QVariantMap *value);

    QString errorMessage() const;

    // Accepts exactly 36 characters, or 38 with braces, in any case; anything
    // else, and the null UUID, gives the null UUID.
    static QUuid parseUuid(const QString &text);

private:
    bool fail(const QString &name, const QString &problem);

    QString m_method;
    QVariantMap m_params;
    QString m_errorMessage;
};

#endif // REQUESTPARAMS_H
