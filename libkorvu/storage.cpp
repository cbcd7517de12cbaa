#include "storage.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

QSqlDatabase Storage::open(const QString &filePath, const QString &connectionName, QString *errorMessage)
{
    auto fail = [&](const QString &why) {
        if (errorMessage)
            *errorMessage = QStringLiteral("Cannot open database %1: %2").arg(filePath, why);
        QSqlDatabase::removeDatabase(connectionName);
        return QSqlDatabase();
    };

    if (!QDir().mkpath(QFileInfo(filePath).absolutePath()))
        return fail(QStringLiteral("cannot create its folder"));

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    if (!db.isValid())
        return fail(QStringLiteral("the QSQLITE driver is not available"));
    db.setDatabaseName(filePath);
    if (!db.open())
        return fail(db.lastError().text());

    QSqlQuery query(db);
    for (const char *pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL", "PRAGMA busy_timeout=5000"}) {
        if (!query.exec(QString::fromLatin1(pragma))) {
            const QString why = query.lastError().text();
            db.close();
            db = QSqlDatabase();
            return fail(why);
        }
    }
    return db;
}
