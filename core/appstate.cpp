#include "core/appstate.h"

#include <QObject>

HostLink::HostLink(AppHost* host) : m_host(host), m_guard(host ? host->hostObject() : nullptr) {}

namespace {
HostLink& running()
{
    static HostLink link;
    return link;
}
} // namespace

AppHost* runningHost() { return running().get(); }

void setRunningHost(AppHost* host) { running() = HostLink(host); }
