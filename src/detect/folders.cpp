#include "detect/folders.h"

#include <utility>
#include <vector>

namespace vtr {

std::wstring SYS_GetFolderPath(Platform& p, int csidl) {
  std::wstring path = p.FolderPath(csidl).value_or(L"");
  if (!path.empty() && path.back() == L'\\') {
    path.pop_back();
  }
  return path;
}

std::wstring SYS_GetSpecialFolder(Platform& p, int csidl) {
  try {
    return p.SpecialFolderPath(csidl);
  } catch (const RunError&) {
    return {};
  }
}

std::wstring SYS_GetSystemDir(Platform& p) {
  return p.SystemFolder();
}

void SetDefaultFolders(Session& s, Platform& p, int32_t major,
                       const std::function<void(const RunError&)>& report) {
  // The 32-bit folders exist from Windows Vista on; the program is a 32-bit one.
  if (major >= 6) {
    s.gsProgramFiles = SYS_GetSpecialFolder(p, kCsidlProgramFilesX86);
    s.gsSystemDir = SYS_GetSpecialFolder(p, kCsidlSystemX86);
  }
  if (s.gsProgramFiles.empty()) {
    s.gsProgramFiles = SYS_GetSpecialFolder(p, kCsidlProgramFiles);
    if (s.gsProgramFiles.empty()) {
      s.gsProgramFiles = L"C:\\Program Files (x86)";
    }
  }
  if (s.gsSystemDir.empty()) {
    Attempt([&] { s.gsSystemDir = SYS_GetSystemDir(p); }, report);
  }
  Attempt([&] { s.gsDBPath = SYS_GetFolderPath(p, kCsidlCommonAppData); }, report);
  if (s.gsDBPath.empty()) {
    s.gsDBPath = SYS_GetSpecialFolder(p, kCsidlCommonAppData);
  }
  if (s.gsDBPath.empty()) {
    Attempt([&] { s.gsDBPath = SYS_GetFolderPath(p, kCsidlCommonDocuments); }, report);
  }
  if (s.gsDBPath.empty()) {
    s.gsDBPath = L"C:\\ProgramData";
  }
}

void ShowDebugFolders(const Session& s, Platform& p) {
  const std::wstring& crlf = s.gsCRLF;
  const auto answer =
      p.MsgBox(L"Initial Install Folders: " + crlf + L"Program: " + s.gsProgramFiles + crlf +
                   L"DB Folder: " + s.gsDBPath + crlf + crlf + L"Show special folders?",
               MsgButtons::YesNo, MsgIcon::None, std::nullopt);
  if (answer != MsgAnswer::Yes) {
    return;
  }
  const std::vector<std::pair<const wchar_t*, int>> oldMethod = {
      {L"CSIDL_COMMON_APPDATA", kCsidlCommonAppData},
      {L"CSIDL_LOCAL_APPDATA", kCsidlLocalAppData},
      {L"CSIDL_COMMON_DOCUMENTS", kCsidlCommonDocuments},
      {L"CSIDL_PERSONAL", kCsidlPersonal}};
  const std::vector<std::pair<const wchar_t*, int>> newMethod = {
      {L"*feCommonAppData", kCsidlCommonAppData},
      {L"feLocalAppData", kCsidlLocalAppData},
      {L"feUserAppData", kCsidlAppData},
      {L"feCommonDocs", kCsidlCommonDocuments},
      {L"feUserDocs", kCsidlPersonal},
      {L"feUser", kCsidlProfile}};
  std::wstring text = L"Folders using CSIDL method: ";
  for (const auto& [label, id] : oldMethod) {
    text += crlf + label + L": " + SYS_GetSpecialFolder(p, id);
  }
  text += crlf + crlf + L"Folders using NEW method: ";
  for (const auto& [label, id] : newMethod) {
    text += crlf + label + L": " + SYS_GetFolderPath(p, id);
  }
  p.MsgBox(text, MsgButtons::Ok, MsgIcon::None, std::nullopt);
}

}  // namespace vtr
