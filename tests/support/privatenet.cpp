#include "tests/support/privatenet.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>

namespace testsupport {

namespace {

bool bringLoopbackUp()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    if (up) {
        request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
        up = ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    }
    ::close(fd);
    return up;
}

// A TCP socket bound to 127.0.0.1 at a port the system picks; -1 on failure.
int boundSocket(std::uint16_t& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::fprintf(stderr, "FATAL: no loopback port to be had (%s)\n", std::strerror(errno));
        std::abort();
    }
    port = ntohs(address.sin_port);
    return fd;
}

} // namespace

std::uint16_t portForDaemon()
{
    std::uint16_t port = 0;
    ::close(boundSocket(port));
    return port;
}

std::uint16_t closedPort()
{
    static std::uint16_t port = 0;
    static const int held = boundSocket(port);
    (void)held;
    return port;
}

bool enterPrivateNetwork()
{
    if (::unshare(CLONE_NEWNET) != 0) {
        std::fprintf(stderr, "WARNING: no private network for this test (%s); its daemons share the machine's ports\n",
                     std::strerror(errno));
        return false;
    }
    if (!bringLoopbackUp()) {
        std::fprintf(stderr, "FATAL: the private network's loopback interface did not come up (%s)\n",
                     std::strerror(errno));
        std::fflush(stderr);
        std::abort();
    }
    return true;
}

} // namespace testsupport
