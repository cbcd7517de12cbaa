#ifndef HTTPMESSAGE_H
#define HTTPMESSAGE_H

#include <QByteArray>
#include <QString>

struct HttpRequest
{
    QString method;
    QString url;
    QString requestLine;
};

struct HttpResponse
{
    int status = 200;
    QByteArray body;
};

#endif // HTTPMESSAGE_H
