// A 3.0 database's templates, labels, reports and envelopes moved aside with a prefix.
#include "engine/migration.h"

#include <vector>

#include "util/text.h"

namespace vtr {
namespace {

constexpr wchar_t kPrefix[] = L"rev30_";

// Gives one file the prefix unless it has it already. False when the move failed, which
// ends the file's group.
bool MoveAside(Platform& p, bool debug, const std::wstring& folder, const std::wstring& name,
               std::vector<MovedFile>& moved) {
  if (LeftEqualsNoCase(name, 6, kPrefix)) {
    return true;
  }
  if (p.MoveFileTo(folder + name, folder + kPrefix + name)) {
    moved.emplace_back(folder + name, folder + kPrefix + name);
    return true;
  }
  if (debug) {
    p.MsgBox(L"Unable to rename file:" + name, MsgButtons::Ok, MsgIcon::None, std::nullopt);
  }
  return false;
}

// A statement that fails is passed over: the migration never stops the installation.
OnError PassOver(const RunError&) {
  return OnError::Resume;
}

}  // namespace

std::vector<MovedFile> MigrateTemplates(Platform& p, bool debug, const std::wstring& databaseFolder,
                                        const std::wstring& separator) {
  std::vector<MovedFile> movedFiles;
  const std::wstring templates =
      databaseFolder + separator + L"Documents" + separator + L"Templates" + separator;

  // Every envelope of the folder, walked with one search.
  const std::wstring envelopes = templates + L"Envelopes" + separator;
  std::wstring name;
  Attempt([&] { name = p.FindFirst(envelopes + L"*.env", kAttrNormal); }, PassOver);
  while (!name.empty()) {
    bool moved = true;
    // Windows' search also matches short names, so "*.env" finds "notes.envx" too: only a
    // long name that really ends in ".env" is an envelope.
    if (EndsWithNoCase(name, L".env")) {
      Attempt([&] { moved = MoveAside(p, debug, envelopes, name, movedFiles); }, PassOver);
    }
    if (!moved) {
      break;
    }
    name.clear();
    Attempt([&] { name = p.FindNext(); }, PassOver);
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
      Attempt([&] { found = p.FindFirst(folder + file, kAttrNormal); }, PassOver);
      bool moved = true;
      if (!found.empty()) {
        Attempt([&] { moved = MoveAside(p, debug, folder, file, movedFiles); }, PassOver);
      }
      if (!moved) {
        break;
      }
    }
  }
  return movedFiles;
}

}  // namespace vtr
