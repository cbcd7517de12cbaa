#ifndef KORVUD_PLUGINLOADER_H
#define KORVUD_PLUGINLOADER_H

#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QSet>
#include <QString>

// Finds and loads Qt plug-ins of one interface in a colon-separated list of
// directories. Libraries that are not such plug-ins are logged and skipped.
// A file reached twice (through links or ".." in the paths) loads once.
class PluginLoader
{
public:
    // Interface is a plug-in interface declared with Q_DECLARE_INTERFACE.
    template<typename Interface>
    QList<Interface *> load(const QString &directoryList, const QLoggingCategory &category)
    {
        const QString interfaceId = QString::fromLatin1(qobject_interface_iid<Interface *>());
        QList<Interface *> plugins;
        for (QObject *instance : loadInstances(directoryList, interfaceId, category)) {
            if (auto plugin = qobject_cast<Interface *>(instance)) {
                plugins.append(plugin);
                continue;
            }
            qCWarning(category) << "Plug-in" << instance->metaObject()->className() << "does not implement"
                                << interfaceId;
            delete instance;
        }
        return plugins;
    }

private:
    QList<QObject *> loadInstances(const QString &directoryList, const QString &interfaceId,
                                   const QLoggingCategory &category);
    QList<QObject *> loadDirectory(const QString &directory, const QString &interfaceId,
                                   const QLoggingCategory &category);
    QObject *loadFile(const QString &filePath, const QString &interfaceId, const QLoggingCategory &category);

    // "<interface id> <canonical file path>" of every plug-in loaded so far.
    QSet<QString> m_loadedFiles;
};

#endif // KORVUD_PLUGINLOADER_H
