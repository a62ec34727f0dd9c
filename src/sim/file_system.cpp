// The simulated disks: finding, making, creating and moving files as Windows answers.
#include "sim/file_system.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>

#include "platform/platform.h"
#include "platform/run_error.h"
#include "sim/utf8.h"

namespace vtr::sim {
namespace {

// Windows' limits for a whole path: MAX_PATH less its NUL, and for a new folder less room
// for an 8.3 file name inside it.
constexpr std::size_t kLongestPath = 259;
constexpr std::size_t kLongestFolder = 247;

constexpr int kAttrHidden = 2;
constexpr int kAttrSystem = 4;
constexpr int kAttrFolder = 16;

RunError AccessError() {
  return RunError{75, L"Path/File access error"};
}
RunError NotFoundError() {
  return RunError{76, L"Path not found"};
}

bool Wanted(bool folder, bool hidden, bool system, int attributes) {
  return (!folder || (attributes & kAttrFolder) != 0) &&
         (!hidden || (attributes & kAttrHidden) != 0) &&
         (!system || (attributes & kAttrSystem) != 0);
}

bool IsInside(const std::wstring& key, const std::wstring& folderKey) {
  // A root key ends in "\" already; any other folder's contents start with its key and "\".
  const std::wstring prefix = folderKey.back() == L'\\' ? folderKey : folderKey + L"\\";
  return key.size() > prefix.size() && key.compare(0, prefix.size(), prefix) == 0;
}

// The 8.3 short name Windows gives a long name ("notes.envx" is "NOTES~1.ENV"), or "" for a
// name that is a short name already. Only the first alias of a stem is made: "~1".
std::wstring ShortAlias(const std::wstring& name) {
  const auto dot = name.rfind(L'.');
  const std::wstring stem = dot == std::wstring::npos ? name : name.substr(0, dot);
  const std::wstring extension = dot == std::wstring::npos ? L"" : name.substr(dot + 1);
  const bool isShort = !stem.empty() && stem.size() <= 8 && extension.size() <= 3 &&
                       stem.find_first_of(L". +,;=[]") == std::wstring::npos &&
                       extension.find_first_of(L". +,;=[]") == std::wstring::npos;
  if (isShort || name == L"." || name == L"..") {
    return {};
  }
  std::wstring shortStem;
  for (const wchar_t c : stem) {
    if (c != L' ' && c != L'.' && shortStem.size() < 6) {
      shortStem += FoldChar(c);
    }
  }
  std::wstring shortExtension;
  for (const wchar_t c : extension) {
    if (c != L' ' && shortExtension.size() < 3) {
      shortExtension += FoldChar(c);
    }
  }
  return shortStem + L"~1" + (shortExtension.empty() ? L"" : L"." + shortExtension);
}

}  // namespace

std::optional<WinPath> FileSystem::Parse(std::wstring_view text, bool allowWildcards,
                                         PathError* error) const {
  return ParsePath(text, workFolder_, allowWildcards, error);
}

void FileSystem::Add(const FileEntry& entry) {
  std::vector<WinPath> chain;
  for (WinPath p = entry.path.Parent();; p = p.Parent()) {
    chain.push_back(p);
    if (p.IsRoot()) {
      break;
    }
  }
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    const FileEntry* existing = Find(*it);
    if (existing == nullptr) {
      entries_.emplace(it->Key(), FileEntry{*it, true, false, false, false, false});
    } else if (!existing->folder) {
      throw std::invalid_argument("\"" + ToUtf8(existing->path.Display()) +
                                  "\" is a file, so it cannot hold \"" +
                                  ToUtf8(entry.path.Display()) + "\"");
    }
  }
  if (entry.path.IsRoot()) {
    // A drive root is always a folder; listing it only marks it for the final state.
    entries_[entry.path.Key()].listed = entry.listed;
    return;
  }
  if (Find(entry.path) != nullptr) {
    throw std::invalid_argument("\"" + ToUtf8(entry.path.Display()) + "\" is there already");
  }
  entries_.emplace(entry.path.Key(), entry);
}

void FileSystem::Place(const FileEntry& entry) {
  const auto it = entries_.find(entry.path.Key());
  if (it != entries_.end() && it->second.folder == entry.folder) {
    const WinPath stored = it->second.path;
    it->second = entry;
    it->second.path = stored;
    return;
  }
  Add(entry);
}

void FileSystem::AddUnlisted(const WinPath& path, bool folder) {
  for (WinPath p = path.Parent();; p = p.Parent()) {
    const FileEntry* existing = Find(p);
    if (existing != nullptr && !existing->folder) {
      return;  // a file is in the way: Windows would not report this folder
    }
    if (p.IsRoot()) {
      break;
    }
  }
  if (Find(path) == nullptr) {
    Add(FileEntry{path, folder || path.IsRoot(), false, false, false, false});
  }
}

bool FileSystem::Remove(const WinPath& path) {
  const std::wstring key = path.Key();
  if (entries_.erase(key) == 0) {
    return false;
  }
  std::erase_if(entries_, [&](const auto& item) { return IsInside(item.first, key); });
  return true;
}

const FileEntry* FileSystem::Find(const WinPath& path) const {
  const auto it = entries_.find(path.Key());
  return it == entries_.end() ? nullptr : &it->second;
}

bool FileSystem::IsFolder(const WinPath& path) const {
  const FileEntry* entry = Find(path);
  return entry != nullptr && entry->folder;
}

std::size_t FileSystem::FilesInside(const WinPath& folder) const {
  const std::wstring key = folder.Key();
  return static_cast<std::size_t>(std::count_if(
      entries_.begin(), entries_.end(),
      [&](const auto& item) { return !item.second.folder && IsInside(item.first, key); }));
}

bool FileSystem::WriteProtected(const WinPath& path) const {
  for (WinPath p = path;; p = p.Parent()) {
    const FileEntry* entry = Find(p);
    if (entry != nullptr && entry->readOnly) {
      return true;
    }
    if (p.IsRoot()) {
      return false;
    }
  }
}

std::vector<const FileEntry*> FileSystem::Listed() const {
  std::vector<const FileEntry*> listed;
  for (const auto& [key, entry] : entries_) {
    if (entry.listed) {
      listed.push_back(&entry);
    }
  }
  return listed;  // the map keeps them in key order already
}

std::vector<FileSystem::Candidate> FileSystem::ListingOf(const WinPath& folder) const {
  std::vector<Candidate> listing;
  if (!folder.IsRoot()) {
    // FindFirstFile reports a folder's own entry and its parent's before its contents.
    listing.push_back(Candidate{{0, L".", L"."}, L".", true, false, false});
    listing.push_back(Candidate{{1, L"..", L".."}, L"..", true, false, false});
  }
  const std::wstring key = folder.Key();
  for (const auto& [entryKey, entry] : entries_) {
    if (IsInside(entryKey, key) && entryKey.find(L'\\', key.size() + 1) == std::wstring::npos) {
      const std::wstring& name = entry.path.names.back();
      listing.push_back(
          Candidate{{2, Fold(name), name}, name, entry.folder, entry.hidden, entry.system});
    }
  }
  std::sort(listing.begin(), listing.end(),
            [](const Candidate& a, const Candidate& b) { return a.order < b.order; });
  return listing;
}

std::wstring FileSystem::NextMatch() {
  if (!search_.active || !IsFolder(search_.folder)) {
    search_.active = false;
    return {};
  }
  // The folder is read afresh each time, as a real search sees names added behind it.
  for (const Candidate& c : ListingOf(search_.folder)) {
    if (search_.last && c.order <= *search_.last) {
      continue;
    }
    // Like Windows, a pattern also matches an entry's short name: "*.env" finds "notes.envx".
    const std::wstring alias = ShortAlias(c.name);
    if ((MatchesWildcard(c.name, search_.pattern) ||
         (!alias.empty() && MatchesWildcard(alias, search_.pattern))) &&
        Wanted(c.folder, c.hidden, c.system, search_.attributes)) {
      search_.last = c.order;
      return c.name;
    }
  }
  search_.active = false;
  return {};
}

std::wstring FileSystem::FindFirst(std::wstring_view pathOrPattern, int attributes) {
  search_ = Search{};
  const auto path = Parse(pathOrPattern, true);
  if (!path || path->Display().size() > kLongestPath) {
    return {};
  }
  if (path->IsRoot() && !path->trailingSeparator) {
    return {};  // FindFirstFile finds nothing for a root named on its own: "E:", "\\server\share"
  }
  if (path->trailingSeparator) {
    search_ = Search{true, *path, L"*", attributes, std::nullopt};
  } else if (path->LastNameHasWildcard()) {
    search_ = Search{true, path->Parent(), path->names.back(), attributes, std::nullopt};
  } else {
    // A plain path names one entry: its own name, as stored, is the only match.
    const FileEntry* entry = Find(*path);
    if (entry == nullptr || !Wanted(entry->folder, entry->hidden, entry->system, attributes)) {
      return {};
    }
    return entry->path.names.back();
  }
  return NextMatch();
}

std::wstring FileSystem::FindNext() {
  return NextMatch();
}

void FileSystem::MakeFolder(std::wstring_view text) {
  const auto path = Parse(text, false);
  if (!path || path->Display().size() > kLongestFolder || Find(*path) != nullptr) {
    throw AccessError();
  }
  const WinPath parent = path->Parent();
  if (!IsFolder(parent)) {
    throw NotFoundError();
  }
  if (WriteProtected(parent)) {
    throw AccessError();
  }
  Add(FileEntry{*path, true, false, false, false, true});
}

void FileSystem::CreateEmptyFile(std::wstring_view text) {
  const auto path = Parse(text, false);
  if (!path || path->IsRoot() || path->Display().size() > kLongestPath) {
    throw AccessError();
  }
  if (const FileEntry* existing = Find(*path)) {
    // CreateFile refuses to overwrite a folder, a read-only file, and a hidden or system file
    // unless asked to keep those attributes.
    if (existing->folder || existing->hidden || existing->system || WriteProtected(*path)) {
      throw AccessError();
    }
    entries_[path->Key()].listed = true;
    return;
  }
  const WinPath parent = path->Parent();
  if (!IsFolder(parent)) {
    throw NotFoundError();
  }
  if (WriteProtected(parent)) {
    throw AccessError();
  }
  Add(FileEntry{*path, false, false, false, false, true});
}

bool FileSystem::MoveFileTo(std::wstring_view existingPath, std::wstring_view newPath) {
  const auto from = Parse(existingPath, false);
  const auto to = Parse(newPath, false);
  if (!from || !to || from->IsRoot() || to->IsRoot() || from->Display().size() > kLongestPath ||
      to->Display().size() > kLongestPath) {
    return false;
  }
  const FileEntry* source = Find(*from);
  if (source == nullptr || !IsFolder(to->Parent())) {
    return false;
  }
  const std::wstring fromKey = from->Key();
  const std::wstring toKey = to->Key();
  const bool caseChangeOnly = fromKey == toKey;
  if ((!caseChangeOnly && Find(*to) != nullptr) || IsInside(toKey, fromKey)) {
    return false;
  }
  if (WriteProtected(from->Parent()) || WriteProtected(to->Parent())) {
    return false;
  }
  // A folder moves only within its volume; a file is copied across.
  if (source->folder && !EqualsIgnoringCase(from->root, to->root)) {
    return false;
  }

  std::vector<FileEntry> moved;
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->first == fromKey || IsInside(it->first, fromKey)) {
      FileEntry entry = it->second;
      WinPath target = *to;
      target.trailingSeparator = false;
      target.names.insert(
          target.names.end(),
          entry.path.names.begin() + static_cast<std::ptrdiff_t>(from->names.size()),
          entry.path.names.end());
      entry.path = target;
      if (it->first == fromKey) {
        entry.listed = true;
      }
      moved.push_back(std::move(entry));
      it = entries_.erase(it);
    } else {
      ++it;
    }
  }
  for (FileEntry& entry : moved) {
    entries_.emplace(entry.path.Key(), std::move(entry));
  }
  return true;
}

}  // namespace vtr::sim
