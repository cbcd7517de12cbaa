#include "jsonhandler.h"

JsonHandler::JsonHandler(const QString &name, QObject *parent)
    : QObject(parent)
    , m_name(name)
{
}

JsonHandler::~JsonHandler() = default;

QString JsonHandler::name() const { return m_name; }

QStringList JsonHandler::methods() const
{
    QStringList names = m_methods.keys();
    names.sort();
    return names;
}

JsonReply JsonHandler::call(const QString &method, const QVariantMap &params) const
{
    const auto it = m_methods.constFind(method);
    if (it == m_methods.constEnd())
        return JsonReply::error(QStringLiteral("Unknown method \"%1.%2\"").arg(m_name, method));
    return it.value()(params);
}

void JsonHandler::registerMethod(const QString &method, const Method &implementation)
{
    m_methods.insert(method, implementation);
}
