#include "detect/install_paths.h"

#include "util/paths.h"
#include "util/text.h"

namespace vtr {
namespace {

// Reads a stored value; a failing store reads as nothing, reported only to a developer.
std::wstring ReadStored(const Session& s, Platform& p, const wchar_t* key,
                        const wchar_t* handlerLabel) {
  std::wstring value;
  Attempt([&] { value = p.GetSetting(s.gsEditionID, kSection, key, L""); },
          [&](const RunError& e) {
            if (s.gbDebug) {
              p.MsgBox(handlerLabel + DescribeError(e.description, e.number), MsgButtons::Ok,
                       MsgIcon::None, std::nullopt);
            }
          });
  return value;
}

}  // namespace

std::wstring SYS_GetInstallPath(const Session& s, Platform& p) {
  // Whether the stored folder still exists is not asked: the user may restore it.
  std::wstring stored = ReadStored(s, p, L"AppPath", L"errHdl_SYS_GetInstallPath");
  if (!stored.empty()) {
    return stored;
  }
  if (!s.gbPro) {
    return s.gsProgramFiles + L"\\" + L"Vantora Contact Management Lite";
  }
  // An earlier 3.0 professional install keeps its folder.
  const std::wstring candidate = s.gsProgramFiles + L"\\" + L"Vantora Contact Management 3.0";
  if (SYS_File_FileCheck(s, p, s.gsExeName, candidate, false, true) ||
      SYS_FolderExists(p, candidate, false)) {
    return candidate;
  }
  return s.gsProgramFiles + L"\\" + L"Vantora Contact Management";
}

std::wstring SYS_GetDBInstallPath(const Session& s, Platform& p) {
  std::wstring stored = ReadStored(s, p, L"DBPath", L"errHdl_SYS_GetDBInstallPath");
  if (!stored.empty()) {
    // The store holds the database files' folder ("...\MainDB\"); its parent is the target.
    return SYS_ParentFolder(stored, s.gsDBPath);
  }
  const std::wstring separator = Contains(s.gsDBPath, L"/") ? L"/" : L"\\";
  return s.gsDBPath + separator + L"Vantora Data";
}

}  // namespace vtr
