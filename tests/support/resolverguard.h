#pragma once

namespace testsupport {

// Every test executable refuses name look-ups (see resolverguard.cpp); the test
// environment calls this so that the guard is always linked in.
bool resolverGuardLinked();

} // namespace testsupport
