#include "platform/base/peerguard.h"

namespace platform {
namespace {
PeerGuard g_peerGuard;
}

void setPeerGuard(PeerGuard guard) { g_peerGuard = std::move(guard); }

void checkPeer(const QString& host)
{
    if (g_peerGuard)
        g_peerGuard(host);
}

} // namespace platform
