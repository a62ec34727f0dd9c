// The special and default folders of this machine.
#include "detect/folders.h"

#include <utility>
#include <vector>

#include "util/text.h"

namespace vtr {

std::wstring SYS_GetFolderPath(Platform& p, int csidl) {
  std::wstring path = p.FolderPath(csidl).value_or(L"");
  if (!path.empty() && path.back() == L'\\') {
    path.pop_back();
  }
  return path;
}

std::wstring SYS_GetSpecialFolder(Platform& p, int csidl) {
  std::wstring path;
  Attempt([&] { path = p.SpecialFolderPath(csidl); },
          [](const RunError&) { return OnError::Stop; });
  return path;
}

std::wstring SYS_GetSystemDir(Platform& p) {
  return p.SystemFolder();
}

void SetDefaultFolders(Folders& f, Platform& p, int32_t major,
                       const std::function<OnError(const RunError&)>& report) {
  // The 32-bit folders exist from Windows Vista on; the program is a 32-bit one.
  if (major >= 6) {
    f.gsProgramFiles = SYS_GetSpecialFolder(p, kCsidlProgramFilesX86);
    f.gsSystemDir = SYS_GetSpecialFolder(p, kCsidlSystemX86);
  }
  if (f.gsProgramFiles.empty()) {
    f.gsProgramFiles = SYS_GetSpecialFolder(p, kCsidlProgramFiles);
    if (f.gsProgramFiles.empty()) {
      f.gsProgramFiles = L"C:\\Program Files (x86)";
    }
  }
  if (f.gsSystemDir.empty()) {
    Attempt([&] { f.gsSystemDir = SYS_GetSystemDir(p); }, report);
  }
  Attempt([&] { f.dataRoot = SYS_GetFolderPath(p, kCsidlCommonAppData); }, report);
  if (f.dataRoot.empty()) {
    f.dataRoot = SYS_GetSpecialFolder(p, kCsidlCommonAppData);
  }
  if (f.dataRoot.empty()) {
    Attempt([&] { f.dataRoot = SYS_GetFolderPath(p, kCsidlCommonDocuments); }, report);
  }
  if (f.dataRoot.empty()) {
    f.dataRoot = L"C:\\ProgramData";
  }
}

void ShowDebugFolders(const Folders& f, Platform& p) {
  const auto answer =
      p.MsgBox(L"Initial Install Folders: " + gsCRLF + L"Program: " + f.gsProgramFiles + gsCRLF +
                   L"DB Folder: " + f.gsDBPath + gsCRLF + gsCRLF + L"Show special folders?",
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
    text += gsCRLF + label + L": " + SYS_GetSpecialFolder(p, id);
  }
  text += gsCRLF + gsCRLF + L"Folders using NEW method: ";
  for (const auto& [label, id] : newMethod) {
    text += gsCRLF + label + L": " + SYS_GetFolderPath(p, id);
  }
  p.MsgBox(text, MsgButtons::Ok, MsgIcon::None, std::nullopt);
}

}  // namespace vtr
