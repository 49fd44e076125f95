#pragma once

#include "compat/win32/registryprovider.h"

#include <memory>

namespace platform {

// The two registry values under HKEY_CURRENT_USER\Control Panel\Desktop that
// the desktop keeps in XScreenSaver's preferences instead (see xscreensaver.h):
// SCRNSAVE.EXE, the selected program as a Windows path, and ScreenSaverIsSecure.
std::shared_ptr<RegistryValueMapping> screenSaverFileValue();
std::shared_ptr<RegistryValueMapping> screenSaverSecureValue();

} // namespace platform
