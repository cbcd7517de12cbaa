#ifndef CHECKOPTIONS_H
#define CHECKOPTIONS_H

#include <QString>
#include <QStringList>

// What to run and how: the command line of korvu-check, checked before
// anything is started.
class CheckOptions
{
public:
    struct Defaults
    {
        QString suite;
        QString daemon;
        QString mocksDir;
        QString experienceDir;
    };

    enum class ParseResult { Run, ShowHelp, ShowVersion, Error };

    // arguments: the full command line, program name first. Everything after
    // "--" goes to the suite unchanged.
    ParseResult parse(const QStringList &arguments, const Defaults &defaults);
    QString parseError() const;
    QString helpText() const;

    // Makes the paths absolute and returns the first problem as one line, or
    // an empty string when everything needed is in place.
    QString validate();

    QString suite;
    QString daemon;
    QString mocksDir;
    QString experienceDir;
    QString junitFile;
    bool keepRunTree = false;
    bool verbose = false;
    QStringList suiteArguments;

private:
    static QString checkExecutable(const QString &what, const QString &path, const QString &hint);
    static QString checkPluginFolder(const QString &what, const QString &path);
    QString checkJunitFile() const;

    QString m_parseError;
    QString m_helpText;
};

#endif // CHECKOPTIONS_H
