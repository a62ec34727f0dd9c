// Which Windows this is: the version numbers and a display name.
#include "detect/windows_version.h"

namespace vtr {

std::wstring WindowsVersionName(int32_t platformId, int32_t major, int32_t minor) {
  if (platformId == 1) {  // Windows 9x: only the minor version tells them apart
    switch (minor) {
      case 0:
        return L"Windows 95";
      case 10:
        return L"Windows 98";
      case 90:
        return L"Windows Millennium";
      default:
        return {};
    }
  }
  if (platformId != 2) {
    return L"Failed: " + std::to_wstring(platformId);
  }
  switch (major) {
    case 3:
      return L"Windows NT 3.51";
    case 4:
      return L"Windows NT 4.0";
    case 5:
      return minor == 0 ? L"Windows 2000" : minor == 1 ? L"Windows XP" : L"Windows XP 64-bit";
    case 6:
      switch (minor) {
        case 0:
          return L"Vista";
        case 1:
          return L"Windows 7";
        case 2:
          return L"Win 8 or higher";
        case 3:
          return L"Windows 8.1";
        default:
          // A negative minor cannot come from Windows; it reads as "any other" here too.
          return L"Windows 8.1 or higher";
      }
    case 10:
      return minor == 0   ? L"Windows 10 Preview"
             : minor == 1 ? L"Windows 10"
                          : L"Windows 10.0 or higher";
    default:
      return L"Windows";
  }
}

std::wstring SYS_GetWindowsVersion(Platform& p, int32_t& platformId, int32_t& major, int32_t& minor,
                                   int32_t& build, std::wstring& servicePack,
                                   std::wstring& versionText) {
  const OsVersionRecord record = p.OsVersion();
  const std::wstring name = WindowsVersionName(record.platformId, record.major, record.minor);
  platformId = record.platformId;
  major = record.major;
  minor = record.minor;
  build = record.build;
  if (record.major < 6) {
    servicePack = record.servicePack;
  }
  versionText = std::to_wstring(record.major) + L"." + std::to_wstring(record.minor) + L"." +
                std::to_wstring(record.build);
  return name;
}

}  // namespace vtr
