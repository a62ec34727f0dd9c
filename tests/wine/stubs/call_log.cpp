#include "call_log.h"

#include <algorithm>

#include "../driver/handles.h"

namespace vtrstub {

void AppendCall(const vtrdrive::JsonLine& line) {
  const std::string text = vtrdrive::Utf8(line.Text()) + "\n";
  // Another stub may hold the file for a moment; a minute is far beyond any such wait.
  for (int attempt = 0; attempt < 600; ++attempt) {
    vtrdrive::UniqueFile file(CreateFileW(kCallLog, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
      DWORD written = 0;
      WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
      return;
    }
    if (GetLastError() != ERROR_SHARING_VIOLATION) {
      return;
    }
    Sleep(100);
  }
}

std::wstring ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD used = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (used == 0) {
      return {};
    }
    if (used < path.size()) {
      path.resize(used);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void RecordThisProgram() {
  const std::wstring self = ModulePath(nullptr);
  vtrdrive::JsonLine line;
  line.Add("program", FileName(self))
      .Add("path", self)
      .Add("command_line", std::wstring(GetCommandLineW()))
      .Add("folder", CurrentFolder())
      .Add("created", ProcessCreated());
  AppendCall(line);
}

std::wstring FileName(const std::wstring& path) {
  const size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

std::wstring CurrentFolder() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0) {
    return {};
  }
  std::wstring folder(size, L'\0');
  folder.resize(GetCurrentDirectoryW(size, folder.data()));
  return folder;
}

int64_t ProcessCreated() {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
    return 0;
  }
  return static_cast<int64_t>((static_cast<uint64_t>(created.dwHighDateTime) << 32) |
                              created.dwLowDateTime);
}

namespace {

class FindHandle {
 public:
  explicit FindHandle(HANDLE h) : h_(h) {}
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  ~FindHandle() {
    if (h_ != INVALID_HANDLE_VALUE) {
      FindClose(h_);
    }
  }
  HANDLE Get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

void CollectFiles(const std::wstring& folder, const std::wstring& relative,
                  std::vector<std::wstring>& out) {
  WIN32_FIND_DATAW found{};
  FindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!search) {
    return;
  }
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") {
      continue;
    }
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      CollectFiles(folder + L"\\" + name, relative + name + L"\\", out);
    } else {
      out.push_back(relative + name);
    }
  } while (FindNextFileW(search.Get(), &found));
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) {
    return {};
  }
  const int size = static_cast<int>(text.size());
  const int chars = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring out(static_cast<size_t>(chars), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(), chars);
  return out;
}

}  // namespace

std::vector<std::wstring> FilesUnder(const std::wstring& folder) {
  std::vector<std::wstring> files;
  CollectFiles(folder, L"", files);
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::wstring> ReadLines(const std::wstring& path) {
  vtrdrive::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::vector<std::wstring> lines;
  if (!file) {
    return lines;
  }
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    bytes.append(buffer, read);
  }
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) {
      end = bytes.size();
    }
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (!line.empty()) {
      lines.push_back(Wide(line));
    }
    start = end + 1;
  }
  return lines;
}

}  // namespace vtrstub
