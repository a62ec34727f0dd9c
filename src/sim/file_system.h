// The simulated disks: files and folders with their attributes, the find-file search, and
// the make-folder, create-file and move operations as Windows answers them.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "sim/win_path.h"

namespace vtr::sim {

struct FileEntry {
  WinPath path;  // as first written, with the case it was given
  bool folder = false;
  bool readOnly = false;  // cannot be written; for a folder: nothing inside it can be written
  bool hidden = false;
  bool system = false;
  // Named by the scenario or made while the program ran, so part of the final state; the
  // folders that only hold such entries, and Windows' own folders, are not.
  bool listed = false;
};

class FileSystem {
 public:
  explicit FileSystem(WinPath workFolder) : workFolder_(std::move(workFolder)) {}

  // Parses a path as the running program's calls see it (relative to its working folder).
  std::optional<WinPath> Parse(std::wstring_view text, bool allowWildcards,
                               PathError* error = nullptr) const;

  // Puts an entry on the disk with every folder above it. Throws std::invalid_argument when
  // a file stands where a folder is needed or the entry is there already.
  void Add(const FileEntry& entry);
  // Like Add, but an entry of the same kind that is there already only takes the new
  // attributes (a file written over, a folder that stays with its contents).
  void Place(const FileEntry& entry);
  // Makes a folder (and those above it) exist unless something is in the way; not listed.
  void AddUnlisted(const WinPath& path, bool folder);
  // Takes an entry and everything inside it away; false when there was nothing.
  bool Remove(const WinPath& path);

  const FileEntry* Find(const WinPath& path) const;
  bool IsFolder(const WinPath& path) const;
  // How many files (not folders) lie inside a folder, at any depth.
  std::size_t FilesInside(const WinPath& folder) const;
  // The entry, or a folder above it, is read-only.
  bool WriteProtected(const WinPath& path) const;
  // The entries of the final state, sorted by path.
  std::vector<const FileEntry*> Listed() const;

  // The platform's file operations; see platform.h.
  std::wstring FindFirst(std::wstring_view pathOrPattern, int attributes);
  std::wstring FindNext();
  void MakeFolder(std::wstring_view path);       // raises RunError 75 or 76
  void CreateEmptyFile(std::wstring_view path);  // raises RunError 75 or 76
  bool MoveFileTo(std::wstring_view existingPath, std::wstring_view newPath);

 private:
  // Where an entry stands in a folder listing: "." and ".." first, then by folded name,
  // which is the order NTFS returns them in.
  using Order = std::tuple<int, std::wstring, std::wstring>;
  struct Candidate {
    Order order;
    std::wstring name;
    bool folder, hidden, system;
  };
  struct Search {
    bool active = false;
    WinPath folder;
    std::wstring pattern;
    int attributes = 0;
    std::optional<Order> last;  // the last name returned; the next one comes after it
  };

  std::vector<Candidate> ListingOf(const WinPath& folder) const;
  std::wstring NextMatch();

  WinPath workFolder_;
  std::map<std::wstring, FileEntry> entries_;  // by WinPath::Key()
  Search search_;
};

}  // namespace vtr::sim
