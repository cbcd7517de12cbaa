#ifndef LIBKORVU_JSONHANDLER_H
#define LIBKORVU_JSONHANDLER_H

#include "jsonreply.h"
#include "korvu_global.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <functional>

// One JSON-RPC namespace: "<name>.<method>". Subclasses register their
// methods in the constructor; the server routes calls by full name.
class KORVU_EXPORT JsonHandler : public QObject
{
    Q_OBJECT
public:
    using Method = std::function<JsonReply(const QVariantMap &params)>;

    explicit JsonHandler(const QString &name, QObject *parent = nullptr);
    ~JsonHandler() override;

    QString name() const;
    QStringList methods() const;

    // method is the part after the dot. Unknown methods give an error reply.
    JsonReply call(const QString &method, const QVariantMap &params) const;

protected:
    void registerMethod(const QString &method, const Method &implementation);

private:
    QString m_name;
    QHash<QString, Method> m_methods;
};

#endif // LIBKORVU_JSONHANDLER_H
