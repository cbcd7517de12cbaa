#ifndef LIBKORVU_STORAGE_H
#define LIBKORVU_STORAGE_H

#include "korvu_global.h"

#include <QSqlDatabase>
#include <QString>

// Opens the SQLite databases of the daemon and its plug-ins. Every database is
// set up so that a committed transaction survives a SIGKILL of the daemon at
// any later moment (write-ahead log, full sync).
class KORVU_EXPORT Storage
{
public:
    // Returns an open database under connectionName, or an invalid one with
    // errorMessage set. The folder of filePath is created when missing.
    static QSqlDatabase open(const QString &filePath, const QString &connectionName, QString *errorMessage = nullptr);
};

#endif // LIBKORVU_STORAGE_H
