#include "pluginloader.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QLibrary>
#include <QPluginLoader>

QList<QObject *> PluginLoader::loadInstances(const QString &directoryList, const QString &interfaceId,
                                             const QLoggingCategory &category)
{
    QList<QObject *> plugins;
    const QStringList directories = directoryList.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &directory : directories)
        plugins.append(loadDirectory(directory, interfaceId, category));
    return plugins;
}

QList<QObject *> PluginLoader::loadDirectory(const QString &directory, const QString &interfaceId,
                                             const QLoggingCategory &category)
{
    QList<QObject *> plugins;
    const QDir dir(directory);
    if (!dir.exists()) {
        qCWarning(category) << "Plug-in folder" << directory << "does not exist";
        return plugins;
    }
    qCDebug(category) << "Looking for plug-ins in" << dir.absolutePath();
    const QFileInfoList entries = dir.entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (!QLibrary::isLibrary(entry.fileName()))
            continue;
        const QString filePath = entry.canonicalFilePath();
        const QString key = interfaceId + QLatin1Char(' ') + filePath;
        if (m_loadedFiles.contains(key)) {
            qCDebug(category) << "Plug-in" << filePath << "is already loaded";
            continue;
        }
        if (QObject *plugin = loadFile(filePath, interfaceId, category)) {
            m_loadedFiles.insert(key);
            plugins.append(plugin);
        }
    }
    return plugins;
}

QObject *PluginLoader::loadFile(const QString &filePath, const QString &interfaceId, const QLoggingCategory &category)
{
    QPluginLoader loader(filePath);
    const QString iid = loader.metaData().value(QStringLiteral("IID")).toString();
    if (iid != interfaceId) {
        qCWarning(category) << "Skipping" << filePath << "- it is not a plug-in with the interface" << interfaceId
                            << (iid.isEmpty() ? loader.errorString() : QStringLiteral("but %1").arg(iid));
        return nullptr;
    }
    QObject *plugin = loader.instance();
    if (!plugin) {
        qCWarning(category) << "Cannot load plug-in" << filePath << ":" << loader.errorString();
        return nullptr;
    }
    qCDebug(category) << "Loaded plug-in" << filePath;
    return plugin;
}
