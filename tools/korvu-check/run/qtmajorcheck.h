#ifndef KORVUCHECK_QTMAJORCHECK_H
#define KORVUCHECK_QTMAJORCHECK_H

#include <QString>
#include <QStringList>
#include <QVector>

// Whether the daemon and the two plug-ins it loads link the same Qt major.
// A plug-in of the other major does not load, and the checks would then
// fail for a reason no verdict names.
class QtMajorCheck
{
public:
    struct Part
    {
        QString name; // "korvud", "the mocks plug-in", ...
        QString file;
        int qtMajor = 0; // 0: not known
    };

    // Reads the daemon and the first library of each plug-in folder that
    // links a Qt. A daemon that runs under a --wrap tool is not read: the
    // tool may bring a daemon of its own.
    static QtMajorCheck read(const QString &daemon, const QString &mocksDir, const QString &experienceDir,
                             const QStringList &wrapCommand);
    // daemon first, then the plug-ins.
    explicit QtMajorCheck(const QVector<Part> &parts, const QString &skipReason = QString());

    // The Qt major a file links as QtCore, or 0 where it links none or is
    // no ELF file.
    static int linkedQtMajor(const QString &fileName);

    // One message naming every part with its major, and what to use instead;
    // empty where the known majors agree or the check was skipped.
    QString refusal() const;
    // Why the daemon's major is not known and nothing is compared, or empty.
    QString skipReason() const;

private:
    QVector<Part> m_parts;
    QString m_skipReason;
};

#endif // KORVUCHECK_QTMAJORCHECK_H
