// Starting child processes.
#include <windows.h>

#include <vector>

#include "platform/win32/win32_platform.h"

namespace vtr::win32 {
namespace {

// A started child: owns its process handle, which is closed when the object goes; the
// process itself runs on.
class Win32ChildProcess final : public ChildProcess {
 public:
  explicit Win32ChildProcess(UniqueHandle process) : process_(std::move(process)) {}

  bool Wait(int32_t timeoutMs) override {
    const DWORD timeout = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
    return ::WaitForSingleObject(process_.get(), timeout) == WAIT_OBJECT_0;
  }

  std::optional<uint32_t> ExitCode() override {
    // Asked only once it has ended: a running process "exits" with STILL_ACTIVE (259),
    // which is also a code a program may really end with.
    if (::WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) {
      return std::nullopt;
    }
    DWORD code = 0;
    if (!::GetExitCodeProcess(process_.get(), &code)) {
      return std::nullopt;
    }
    return code;
  }

 private:
  UniqueHandle process_;
};

const wchar_t* NullIfEmpty(const std::wstring& text) {
  return text.empty() ? nullptr : text.c_str();
}

}  // namespace

std::unique_ptr<ChildProcess> Win32Platform::StartProcess(const std::wstring& applicationPath,
                                                          const std::wstring& commandLine,
                                                          const std::wstring& workFolder) {
  // CreateProcessW may write into the command line, so it gets a copy of its own.
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  // No handle of setup's (a held package file, the setup log) is inherited by the child.
  if (!::CreateProcessW(NullIfEmpty(applicationPath), line.data(), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS, nullptr, NullIfEmpty(workFolder), &startup,
                        &started)) {
    return nullptr;
  }
  UniqueHandle thread(started.hThread);
  return std::make_unique<Win32ChildProcess>(UniqueHandle(started.hProcess));
}

}  // namespace vtr::win32
