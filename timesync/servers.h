#pragma once

#include <QString>
#include <QStringList>

// The time servers the time-server window offers.
namespace timesync {

// The menu text of the user's own entry while no server is set there.
inline const QString kNoUserServer = QStringLiteral("User Defined Server");

// The ten built-in servers, public hosts that answer the TIME protocol on TCP port 37.
QStringList builtInServers();
// The port that is dialled: 37.
quint16 timePort();

// Replaces the built-in servers (exactly ten names) and the port, for the
// whole program; an empty list restores the real ones. Tests point the
// window at loopback servers this way.
void setServerTable(const QStringList& servers, quint16 port);

// Whether the user's entry holds a server of its own.
bool isUserServerSet(const QString& userServer);

// A host name as a menu caption: "&" shown as itself, not as a mnemonic.
QString menuCaption(const QString& host);

} // namespace timesync
