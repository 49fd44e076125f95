#pragma once

#include <QString>

namespace platform {

// The running program's version numbers (App.Major, App.Minor, App.Revision).
constexpr int appMajor() { return VANTORA_VERSION_MAJOR; }
constexpr int appMinor() { return VANTORA_VERSION_MINOR; }
constexpr int appRevision() { return VANTORA_VERSION_PATCH; }

// "major.minor.revision" as plain decimal text.
QString appVersionText();

} // namespace platform
