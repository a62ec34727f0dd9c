#include "station.h"

#include <utility>

#include "window_text.h"

namespace vtrdrive {

std::optional<InvisibleStation> InvisibleStation::Create(std::wstring& error) {
  const std::wstring name = L"vtrunattended" + std::to_wstring(GetCurrentProcessId());
  HWINSTA station = CreateWindowStationW(name.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
  if (station == nullptr) {
    error =
        L"could not make a window station (Windows error " + std::to_wstring(GetLastError()) + L")";
    return std::nullopt;
  }
  // A desktop is made on the calling process's station, so the driver stands there a moment.
  HWINSTA own = GetProcessWindowStation();
  HDESK desktop = nullptr;
  if (SetProcessWindowStation(station)) {
    desktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetProcessWindowStation(own);
  }
  if (desktop == nullptr) {
    error = L"could not make a desktop on the window station (Windows error " +
            std::to_wstring(GetLastError()) + L")";
    CloseWindowStation(station);
    return std::nullopt;
  }
  return InvisibleStation(station, desktop, name + L"\\Default");
}

InvisibleStation::InvisibleStation(InvisibleStation&& other) noexcept
    : station_(std::exchange(other.station_, nullptr)),
      desktop_(std::exchange(other.desktop_, nullptr)),
      desktopName_(std::move(other.desktopName_)) {}

InvisibleStation::~InvisibleStation() {
  if (desktop_ != nullptr) {
    CloseDesktop(desktop_);
  }
  if (station_ != nullptr) {
    CloseWindowStation(station_);
  }
}

std::vector<HWND> InvisibleStation::WindowsOf(DWORD processId) const {
  return TopLevelWindowsOf(processId, desktop_);
}

}  // namespace vtrdrive
