#pragma once

#include <QString>

#include <functional>

namespace platform {

// A check that the program's own network clients make before they connect to
// a host. The program installs none; the test environment installs one that
// fails the test for any host beyond this machine's loopback.
using PeerGuard = std::function<void(const QString& host)>;
void setPeerGuard(PeerGuard guard);
void checkPeer(const QString& host);

} // namespace platform
