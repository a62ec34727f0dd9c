// Windows path rules as the simulated file system applies them: names compare ignoring case,
// "\" and "/" are the same separator, doubled separators collapse, "." and ".." resolve, and a
// relative path is taken from the program's working folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vtr::sim {

// The upper-case form the file system and the registry compare names by (Latin, Greek and
// Cyrillic letters; other characters compare as they are).
wchar_t FoldChar(wchar_t c);
std::wstring Fold(std::wstring_view text);
bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b);
bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view part);

// FindFirstFile's wildcards, ignoring case: "*" any run of characters, "?" one character;
// "*.*" matches every name, also one without a dot.
bool MatchesWildcard(std::wstring_view name, std::wstring_view pattern);

// An absolute path, split: a root ("C:\" or "\\server\share\") and the names below it.
struct WinPath {
  std::wstring root;
  std::vector<std::wstring> names;
  bool trailingSeparator = false;  // written with a separator at its end

  bool IsRoot() const { return names.empty(); }
  // The path as Windows writes it: "C:\", "C:\Apps\Vantora", "\\server\share\Data".
  std::wstring Display() const;
  // Display() folded: equal keys are the same file.
  std::wstring Key() const { return Fold(Display()); }
  // The folder holding this entry (a root is its own parent).
  WinPath Parent() const;
  // This path with one more name below it.
  WinPath Child(const std::wstring& name) const;
  bool LastNameHasWildcard() const;
};

// What ParsePath refuses, for messages.
struct PathError {
  std::wstring reason;
};

// Parses a path. base (absolute) resolves relative paths and a lone "\"; a drive letter
// without a separator ("C:" or "C:Data") is taken from that drive's root. Wildcards are
// accepted in the last name only when allowWildcards is set. A name holding < > : " | or a
// control character, an empty text and a malformed share are refused.
std::optional<WinPath> ParsePath(std::wstring_view text, const WinPath& base, bool allowWildcards,
                                 PathError* error = nullptr);

}  // namespace vtr::sim
