#include "reports/reporter.h"

#include <QSaveFile>

QString Reporter::seconds(double value) { return QString::number(value, 'f', 2) + QStringLiteral(" s"); }

bool Reporter::writeFile(const RunResults &results, const QString &fileName, QString *error)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || !write(results, &file) || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
