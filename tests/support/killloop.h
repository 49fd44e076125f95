#pragma once

#include <QString>

#include <functional>

// Crash tests: a child process repeats one change of a store without end and
// is killed with SIGKILL while it works on a change; after each kill the
// parent checks what the store holds.
namespace testsupport {

// The role this process was started in by killInsideChanges, or "" for the
// test itself. A test's main() runs the child's loop when it is not empty.
QString killChildRole();

// Tells the parent that the child has completed one more change.
void reportChangeDone();

// Runs `rounds` rounds: starts this test program again in `role` (it inherits
// the temporary home), waits until it has reported 1 to 3 completed changes
// (a seeded random count, so a failure repeats), kills it while it works on
// the next one, and calls check(); check returns "" when the store is
// consistent, else what is wrong, and the rounds stop there. Returns that
// text, or "".
QString killInsideChanges(const QString& role, int rounds, const std::function<QString()>& check);

} // namespace testsupport
