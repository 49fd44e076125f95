#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Crash tests: a child process repeats one change of a store without end and
// is killed with SIGKILL at random moments; after each kill the parent checks
// what the store holds.
namespace testsupport {

// The role this process was started in by killAtRandomMoments, or "" for the
// test itself. A test's main() runs the child's loop when it is not empty.
QString killChildRole();

// Tells the parent that the child's loop is under way (call once, after its
// first change).
void reportChildStarted();

// Runs `rounds` rounds: starts this test program again in `role` (it inherits
// the temporary home), waits until it reports, lets it run for a random time
// of up to maxRunMicroseconds (seeded, so a failure repeats), kills it, and
// calls check(round); check returns "" when the store is consistent, else what
// is wrong, and the loop stops there. Returns that text, or "".
QString killAtRandomMoments(const QString& role, int rounds, int maxRunMicroseconds,
                            const std::function<QString(int round)>& check);

} // namespace testsupport
