#include "timesync/servers.h"

#include "timesync/timereply.h"

namespace timesync {
namespace {

QStringList g_servers;
quint16 g_port = kTimePort;

} // namespace

QStringList builtInServers()
{
    if (g_servers.size() == 10)
        return g_servers;
    return {
        QStringLiteral("time.nist.gov"),       QStringLiteral("time-a-g.nist.gov"),
        QStringLiteral("time-b-g.nist.gov"),   QStringLiteral("time-c-g.nist.gov"),
        QStringLiteral("time-d-g.nist.gov"),   QStringLiteral("time-a-wwv.nist.gov"),
        QStringLiteral("time-b-wwv.nist.gov"), QStringLiteral("time-c-wwv.nist.gov"),
        QStringLiteral("time-a-b.nist.gov"),   QStringLiteral("time-b-b.nist.gov"),
    };
}

quint16 timePort() { return g_servers.size() == 10 ? g_port : kTimePort; }

void setServerTable(const QStringList& servers, quint16 port)
{
    g_servers = servers.size() == 10 ? servers : QStringList();
    g_port = port;
}

bool isUserServerSet(const QString& userServer) { return !userServer.isEmpty() && userServer != kNoUserServer; }

QString menuCaption(const QString& host)
{
    QString caption = host;
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace timesync
