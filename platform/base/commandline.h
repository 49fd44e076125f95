#pragma once

#include <QString>

#include <optional>

namespace platform {

// Answers "--help" ("-h") and "--version" ("-v") on standard output before
// any window or display is reached, and gives the exit status (0) the program
// ends with. Every other argument is left to the program: nullopt.
std::optional<int> answerInformationOptions(int argc, char** argv, const QString& programName,
                                            const QString& description);

} // namespace platform
