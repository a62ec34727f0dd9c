#include "child.h"

namespace vtrdrive {

std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    return arg;
  }
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes are literal except before a quote, where each needs doubling.
    if (c == L'"') {
      out.append(backslashes * 2 + 1, L'\\');
    } else {
      out.append(backslashes, L'\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  out += L'"';
  return out;
}

namespace {

std::wstring FullPath(const std::wstring& path) {
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) {
    return path;
  }
  std::wstring full(size, L'\0');
  DWORD used = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  full.resize(used);
  return full;
}

std::wstring FolderOf(const std::wstring& path) {
  size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

}  // namespace

std::optional<Child> Child::Start(const std::wstring& exe, const std::wstring& argumentText,
                                  const std::wstring& desktop, HANDLE standardError,
                                  HANDLE standardOutput, bool suspended, std::wstring& error) {
  const std::wstring path = FullPath(exe);
  std::wstring commandLine = QuoteArgument(path);
  if (!argumentText.empty()) {
    commandLine += L" " + argumentText;
  }
  const std::wstring folder = FolderOf(path);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  std::wstring desktopName = desktop;
  if (!desktopName.empty()) {
    startup.lpDesktop = desktopName.data();
  }
  // As a deployment tool collects the output: only the handles given are passed on.
  const bool inherit = standardError != nullptr || standardOutput != nullptr;
  if (inherit) {
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdError = standardError;
    startup.hStdOutput = standardOutput;
  }
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, inherit ? TRUE : FALSE,
                      suspended ? CREATE_SUSPENDED : 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    error =
        L"could not start " + path + L" (Windows error " + std::to_wstring(GetLastError()) + L")";
    return std::nullopt;
  }
  return Child(UniqueHandle(info.hProcess), UniqueHandle(info.hThread), info.dwProcessId);
}

std::optional<uint32_t> Child::ExitCode() const {
  if (WaitForSingleObject(process_.Get(), 0) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  if (!GetExitCodeProcess(process_.Get(), &code)) {
    return std::nullopt;
  }
  return static_cast<uint32_t>(code);
}

void Child::Terminate() const {
  TerminateProcess(process_.Get(), 1);
  WaitForSingleObject(process_.Get(), 5000);
}

}  // namespace vtrdrive
