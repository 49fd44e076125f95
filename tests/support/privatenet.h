#pragma once

namespace testsupport {

// Moves the test process into a network namespace of its own whose only
// interface is loopback: every port there is free for the daemons the test
// starts, and nothing can leave the machine. Threads and children started
// afterwards share it. False (with a warning) where the system refuses.
bool enterPrivateNetwork();

} // namespace testsupport

#include <cstdint>

namespace testsupport {

// A port on 127.0.0.1 for a daemon that is told its port on its command line:
// the system picks it by binding port 0. Inside a private network nobody else
// can take it before the daemon does.
std::uint16_t portForDaemon();

// A port on 127.0.0.1 where nothing listens, reserved for the process's
// lifetime (bound, never listening), so connecting to it is always refused.
std::uint16_t closedPort();

} // namespace testsupport
