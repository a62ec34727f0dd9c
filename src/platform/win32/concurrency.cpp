// What the program asks of Windows about other programs running at the same time: named
// mutexes (another copy of setup, a Windows Installer installation in progress) and waiting.
#include <windows.h>

#include <memory>
#include <string>

#include "platform/win32/unique_resources.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_strings.h"

namespace vtr::win32 {
namespace {

[[noreturn]] void RaiseLastError(DWORD code) {
  throw RunError{static_cast<int32_t>(code), SystemMessage(code)};
}

// The mutex is held by keeping its handle open: the name exists until the handle is closed.
class Win32HeldMutex final : public HeldMutex {
 public:
  explicit Win32HeldMutex(UniqueHandle handle) : handle_(std::move(handle)) {}

 private:
  UniqueHandle handle_;
};

}  // namespace

bool Win32Platform::NamedMutexExists(const std::wstring& name) {
  // SYNCHRONIZE only: the mutex is opened, never waited for or taken.
  const UniqueHandle mutex(::OpenMutexW(SYNCHRONIZE, FALSE, name.c_str()));
  if (mutex) {
    return true;
  }
  const DWORD code = ::GetLastError();
  if (code == ERROR_FILE_NOT_FOUND) {
    return false;
  }
  if (code == ERROR_ACCESS_DENIED) {
    return true;  // made by another account, whose security keeps us out: it exists
  }
  RaiseLastError(code);
}

std::unique_ptr<HeldMutex> Win32Platform::ClaimNamedMutex(const std::wstring& name) {
  ::SetLastError(ERROR_SUCCESS);  // only ERROR_ALREADY_EXISTS tells a found mutex from a new one
  UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
  const DWORD code = ::GetLastError();
  if (mutex && code == ERROR_ALREADY_EXISTS) {
    return nullptr;  // another process made it first; our handle is closed again
  }
  if (mutex) {
    return std::make_unique<Win32HeldMutex>(std::move(mutex));
  }
  // Access denied: made by another account, whose security keeps us out; or this account may
  // not make objects in that namespace at all. Only the first means another holder.
  if (code == ERROR_ACCESS_DENIED && NamedMutexExists(name)) {
    return nullptr;
  }
  RaiseLastError(code);
}

void Win32Platform::Pause(int32_t milliseconds) {
  ::Sleep(milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0);
}

}  // namespace vtr::win32
