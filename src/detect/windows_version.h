// Which Windows this is: the version numbers and a display name.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace vtr {

// The display name for a platform id and version ("Windows 7", "Win 8 or higher", ...).
std::wstring WindowsVersionName(int32_t platformId, int32_t major, int32_t minor);

// Queries the version; fills the out-arguments and returns the display name. The service-pack
// text is written only before Windows Vista (major below 6).
std::wstring SYS_GetWindowsVersion(Platform& p, int32_t& platformId, int32_t& major, int32_t& minor,
                                   int32_t& build, std::wstring& servicePack,
                                   std::wstring& versionText);

}  // namespace vtr
