#ifndef LIBKORVU_EXPERIENCEPLUGIN_H
#define LIBKORVU_EXPERIENCEPLUGIN_H

#include "korvu_global.h"

#include <QObject>
#include <QSqlDatabase>
#include <QString>

class JsonHandler;
class ThingManager;

// What the daemon offers one experience plug-in. The daemon implements it.
class KORVU_EXPORT ExperienceContext
{
public:
    virtual ~ExperienceContext();

    virtual ThingManager *thingManager() const = 0;

    // The daemon takes over routing "<handler name>.<method>" to the handler;
    // the plug-in keeps ownership.
    virtual void registerJsonHandler(JsonHandler *handler) = 0;

    // The plug-in's own SQLite database in the daemon's data folder, opened
    // with Storage::open. Invalid, with errorMessage set, when it cannot be opened.
    virtual QSqlDatabase openDatabase(QString *errorMessage = nullptr) = 0;
};

// An experience plug-in builds a feature on top of the daemon's things and
// offers it over JSON-RPC. Everything runs on the daemon's main thread.
class KORVU_EXPORT ExperiencePlugin : public QObject
{
    Q_OBJECT
public:
    explicit ExperiencePlugin(QObject *parent = nullptr);
    ~ExperiencePlugin() override;

    // Reported by JSONRPC.Hello as {"name", "version"}.
    virtual QString name() const = 0;
    virtual QString version() const = 0;

    // Called once, after the integration plug-ins are loaded and the stored
    // things are set up again. The context outlives the plug-in. Returning
    // false (with errorMessage set) unloads the plug-in.
    virtual bool initialize(ExperienceContext *context, QString *errorMessage) = 0;
};

#define ExperiencePlugin_iid "org.korvu.ExperiencePlugin/1.0"
Q_DECLARE_INTERFACE(ExperiencePlugin, ExperiencePlugin_iid)

#endif // LIBKORVU_EXPERIENCEPLUGIN_H
