#include "engine/migration.h"

#include <vector>

#include "util/text.h"

namespace vtr {
namespace {

constexpr wchar_t kPrefix[] = L"rev30_";

// Gives one file the prefix unless it has it already. False when the move failed, which
// ends the file's group.
bool MoveAside(InstallRun& r, const std::wstring& folder, const std::wstring& name) {
  if (LeftEqualsNoCase(name, 6, kPrefix)) {
    return true;
  }
  if (r.p.MoveFileTo(folder + name, folder + kPrefix + name)) {
    return true;
  }
  if (r.s.gbDebug) {
    r.p.MsgBox(L"Unable to rename file:" + name, MsgButtons::Ok, MsgIcon::None, std::nullopt);
  }
  return false;
}

// A statement that fails is passed over: the migration never stops the installation.
template <typename Statement>
void Skipping(Statement statement) {
  try {
    statement();
  } catch (const RunError&) {
  }
}

}  // namespace

void MigrateTemplates(InstallRun& r, const std::wstring& databaseFolder,
                      const std::wstring& separator) {
  const std::wstring templates =
      databaseFolder + separator + L"Documents" + separator + L"Templates" + separator;

  // Every envelope of the folder, walked with one search.
  const std::wstring envelopes = templates + L"Envelopes" + separator;
  std::wstring name;
  Skipping([&] { name = r.p.FindFirst(envelopes + L"*.env", kAttrNormal); });
  while (!name.empty()) {
    bool moved = true;
    // Windows' search also matches short names, so "*.env" finds "notes.envx" too: only a
    // long name that really ends in ".env" is an envelope.
    if (EndsWithNoCase(name, L".env")) {
      Skipping([&] { moved = MoveAside(r, envelopes, name); });
    }
    if (!moved) {
      break;
    }
    name.clear();
    Skipping([&] { name = r.p.FindNext(); });
  }

  // The labels and reports that the new database replaces, by name; missing ones are passed.
  const std::vector<std::pair<std::wstring, std::vector<std::wstring>>> groups = {
      {L"Labels", {L"Address Labels (8160).lbl"}},
      {L"Reports",
       {L"Activity by Contact.rpt", L"Phone List by Company.rpt", L"Phone List by Contact.rpt"}}};
  for (const auto& [folderName, files] : groups) {
    const std::wstring folder = templates + folderName + separator;
    for (const auto& file : files) {
      std::wstring found;
      Skipping([&] { found = r.p.FindFirst(folder + file, kAttrNormal); });
      bool moved = true;
      if (!found.empty()) {
        Skipping([&] { moved = MoveAside(r, folder, file); });
      }
      if (!moved) {
        break;
      }
    }
  }
}

}  // namespace vtr
