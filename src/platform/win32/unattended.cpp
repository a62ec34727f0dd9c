// What an unattended, logged run asks of Windows: whether a person can answer a box, standard
// error, the temporary folder, new log files and the clock.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>

#include "platform/win32/unique_resources.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_strings.h"

namespace vtr::win32 {
namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) {
    return {};
  }
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                          size, nullptr, nullptr);
  }
  return bytes;
}

// One line to a console (as wide characters) or to a file or pipe (as UTF-8).
void WriteLineTo(HANDLE handle, const std::wstring& line) {
  DWORD written = 0;
  DWORD mode = 0;
  if (::GetConsoleMode(handle, &mode)) {
    const std::wstring text = line + L"\r\n";
    ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  const std::string bytes = Utf8(line + L"\r\n");
  ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool Usable(HANDLE handle) {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

bool Win32Platform::PersonCanAnswer() {
  // A service, or a program run as the system account, has a window station no one sees: a
  // box there waits for ever. The station is the process's own and is not closed.
  HWINSTA station = ::GetProcessWindowStation();
  USEROBJECTFLAGS flags{};
  if (station == nullptr ||
      !::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), nullptr)) {
    return true;  // when Windows cannot tell, the program behaves as it always has
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

void Win32Platform::WriteStandardError(const std::wstring& line) {
  // A windowed program has standard error only when its starter gave it one (a redirection,
  // a deployment tool that collects the output).
  HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
  if (Usable(error)) {
    WriteLineTo(error, line);
  }
}

void Win32Platform::WriteStandardOutput(const std::wstring& line) {
  HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (Usable(output)) {
    WriteLineTo(output, line);
    return;
  }
  // Typed at a prompt, a windowed program's output goes nowhere: it writes to the console of
  // the prompt it was started from, when there is one.
  if (!::AttachConsole(ATTACH_PARENT_PROCESS) && ::GetLastError() != ERROR_ACCESS_DENIED) {
    return;  // no console to write to (ERROR_ACCESS_DENIED: attached already)
  }
  const UniqueFileHandle console(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
  if (console) {
    WriteLineTo(console.get(), line);
  }
}

std::wstring Win32Platform::TempFolder() {
  std::wstring folder(MAX_PATH + 1, L'\0');
  DWORD length = ::GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
  if (length >= folder.size()) {
    folder.resize(length + 1);
    length = ::GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
  }
  return WrittenFolder(std::move(folder), length);
}

namespace {

// A log file held by this program, the only writer.
class Win32LogFile final : public LogFile {
 public:
  explicit Win32LogFile(UniqueFileHandle file) : file_(std::move(file)) {}

  void WriteLine(const std::wstring& line) override {
    const std::string bytes = Utf8(line + L"\r\n");
    DWORD written = 0;
    if (!::WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) ||
        written != bytes.size()) {
      const DWORD code = ::GetLastError();
      throw RunError{static_cast<int32_t>(code), SystemMessage(code)};
    }
  }

 private:
  UniqueFileHandle file_;
};

// A new file at path, or none when something is there already. CREATE_NEW never opens what is
// there, and FILE_FLAG_OPEN_REPARSE_POINT makes a link at the name count as something there
// instead of being followed to wherever it points. Sharing leaves deleting out: while the file
// is held (its handle may write), nobody can delete or rename it and put a link in its place.
UniqueFileHandle NewFile(const std::wstring& path, DWORD access, DWORD share) {
  UniqueFileHandle file(::CreateFileW(path.c_str(), access, share, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                      nullptr));
  if (!file) {
    const DWORD code = ::GetLastError();
    if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
      throw RunError{static_cast<int32_t>(code), SystemMessage(code)};
    }
  }
  return file;
}

}  // namespace

std::unique_ptr<LogFile> Win32Platform::CreateLogFile(const std::wstring& path) {
  // Others may read the log while the run writes it, as an administrator watching it does.
  UniqueFileHandle file = NewFile(path, FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ);
  if (!file) {
    return nullptr;
  }
  return std::make_unique<Win32LogFile>(std::move(file));
}

LocalTime Win32Platform::Now() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace vtr::win32
