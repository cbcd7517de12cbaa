#include "reports/ctrfreport.h"
#include "reports/ctrfdocument.h"

#include <QIODevice>
#include <QJsonDocument>

bool CtrfReport::write(const RunResults &results, QIODevice *device)
{
    const QByteArray json = QJsonDocument(CtrfDocument::fromResults(results)).toJson(QJsonDocument::Compact);
    return device->write(json) == json.size();
}
