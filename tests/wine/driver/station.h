// A window station no one sees, with its desktop, as a service or the system account has: a
// program started there cannot show a box to anybody.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace vtrdrive {

class InvisibleStation {
 public:
  // Makes the station and its desktop "Default"; on failure returns nothing and sets error.
  static std::optional<InvisibleStation> Create(std::wstring& error);
  InvisibleStation(InvisibleStation&& other) noexcept;
  InvisibleStation& operator=(InvisibleStation&&) = delete;
  InvisibleStation(const InvisibleStation&) = delete;
  InvisibleStation& operator=(const InvisibleStation&) = delete;
  ~InvisibleStation();

  // What STARTUPINFOW.lpDesktop names: "<station>\Default".
  const std::wstring& DesktopName() const { return desktopName_; }
  // The visible top-level windows of a process on this station's desktop.
  std::vector<HWND> WindowsOf(DWORD processId) const;

 private:
  InvisibleStation(HWINSTA station, HDESK desktop, std::wstring name)
      : station_(station), desktop_(desktop), desktopName_(std::move(name)) {}
  HWINSTA station_ = nullptr;
  HDESK desktop_ = nullptr;
  std::wstring desktopName_;
};

}  // namespace vtrdrive
