// The folders of an earlier install, read back from the settings store.
#include "detect/install_paths.h"

#include "util/paths.h"
#include "util/text.h"

namespace vtr {
namespace {

// Reads a stored value; a failing store reads as nothing, reported only to a developer.
std::wstring ReadStored(Platform& p, const Edition& edition, bool debug, const wchar_t* key,
                        const wchar_t* handlerLabel) {
  std::wstring value;
  Attempt([&] { value = StoredSetting(p, edition.gsEditionID, key); },
          [&](const RunError& e) {
            if (debug) {
              p.MsgBox(handlerLabel + DescribeError(e.description, e.number), MsgButtons::Ok,
                       MsgIcon::None, std::nullopt);
            }
            return OnError::Resume;
          });
  return value;
}

}  // namespace

std::wstring EditionSettingsKey(const std::wstring& editionId) {
  return L"Software\\VB and VBA Program Settings\\" + editionId;
}

std::wstring SettingsKey(const std::wstring& editionId) {
  return EditionSettingsKey(editionId) + L"\\" + kSection;
}

std::wstring ActiveSetupKey(const std::wstring& component) {
  return L"Software\\Microsoft\\Active Setup\\Installed Components\\" + component;
}

std::wstring StoredSetting(Platform& p, const std::wstring& editionId, const std::wstring& key) {
  std::wstring value = p.GetSetting(editionId, kSection, key, L"");
  if (value.empty()) {
    // Another account's run recorded the machine's settings for every user.
    const std::optional<RegistryValue> copy =
        p.GetRegistryValue(RegistryHive::Machine, SettingsKey(editionId), key);
    if (copy && std::holds_alternative<std::wstring>(*copy)) {
      value = std::get<std::wstring>(*copy);
    }
  }
  return value;
}

std::wstring SYS_GetInstallPath(Platform& p, const Edition& e, bool debug,
                                const std::wstring& programFiles) {
  // Whether the stored folder still exists is not asked: the user may restore it.
  std::wstring stored = ReadStored(p, e, debug, L"AppPath", L"errHdl_SYS_GetInstallPath");
  if (!stored.empty()) {
    return stored;
  }
  if (!e.gbPro) {
    return programFiles + L"\\" + L"Vantora Contact Management Lite";
  }
  // An earlier 3.0 professional install keeps its folder.
  const std::wstring candidate = programFiles + L"\\" + L"Vantora Contact Management 3.0";
  if (SYS_File_FileCheck(p, e.gsExeName, candidate, false) ||
      SYS_FolderExists(p, candidate, false)) {
    return candidate;
  }
  return programFiles + L"\\" + L"Vantora Contact Management";
}

std::wstring SYS_GetDBInstallPath(Platform& p, const Edition& e, bool debug,
                                  const std::wstring& dataRoot) {
  std::wstring stored = ReadStored(p, e, debug, L"DBPath", L"errHdl_SYS_GetDBInstallPath");
  if (!stored.empty()) {
    // The store holds the database files' folder ("...\MainDB\"); its parent is the target.
    return SYS_ParentFolder(stored, dataRoot);
  }
  const std::wstring separator = Contains(dataRoot, L"/") ? L"/" : L"\\";
  return dataRoot + separator + L"Vantora Data";
}

}  // namespace vtr
