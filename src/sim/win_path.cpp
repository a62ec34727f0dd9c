// Windows path rules for the simulated disks: parsing, comparing and matching names, showing paths.
#include "sim/win_path.h"

#include <algorithm>

namespace vtr::sim {
namespace {

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

bool IsWildcard(wchar_t c) {
  return c == L'*' || c == L'?';
}

bool IsForbidden(wchar_t c) {
  return c < 32 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|';
}

// Splits at either separator, dropping the empty pieces that doubled separators leave.
std::vector<std::wstring> SplitNames(std::wstring_view text) {
  std::vector<std::wstring> names;
  std::wstring current;
  for (const wchar_t c : text) {
    if (IsSeparator(c)) {
      if (!current.empty()) {
        names.push_back(std::move(current));
        current.clear();
      }
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) {
    names.push_back(std::move(current));
  }
  return names;
}

bool Fail(PathError* error, std::wstring reason) {
  if (error != nullptr) {
    error->reason = std::move(reason);
  }
  return false;
}

bool MatchFrom(std::wstring_view name, std::wstring_view pattern) {
  // Iterative match with one back-tracking point for the last "*" seen.
  std::size_t n = 0, p = 0, starP = std::wstring_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == L'*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == L'?' || FoldChar(pattern[p]) == FoldChar(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::wstring_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*') {
    ++p;
  }
  return p == pattern.size();
}

}  // namespace

wchar_t FoldChar(wchar_t c) {
  const auto u = static_cast<unsigned long>(c);
  if (u >= L'a' && u <= L'z') {
    return static_cast<wchar_t>(u - 32);
  }
  if (u < 0xE0) {
    return c;
  }
  if (u <= 0xFE) {  // Latin-1 small letters, except the division sign
    return u == 0xF7 ? c : static_cast<wchar_t>(u - 32);
  }
  if (u == 0xFF) {
    return static_cast<wchar_t>(0x178);
  }
  if (u >= 0x100 && u <= 0x17F) {  // Latin Extended-A: pairs, capital first
    const bool oddCapitals = (u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E);
    if (u == 0x130 || u == 0x131 || u == 0x138 || u == 0x149 || u == 0x17F) {
      return c;
    }
    const bool isSmall = oddCapitals ? (u % 2 == 0) : (u % 2 == 1);
    return isSmall ? static_cast<wchar_t>(u - 1) : c;
  }
  if (u >= 0x3B1 && u <= 0x3C9) {  // Greek
    return u == 0x3C2 ? static_cast<wchar_t>(0x3A3) : static_cast<wchar_t>(u - 32);
  }
  if (u >= 0x430 && u <= 0x44F) {  // Cyrillic
    return static_cast<wchar_t>(u - 32);
  }
  if (u >= 0x450 && u <= 0x45F) {
    return static_cast<wchar_t>(u - 80);
  }
  return c;
}

std::wstring Fold(std::wstring_view text) {
  std::wstring out(text);
  std::transform(out.begin(), out.end(), out.begin(), FoldChar);
  return out;
}

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](wchar_t x, wchar_t y) { return FoldChar(x) == FoldChar(y); });
}

bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view part) {
  return Fold(text).find(Fold(part)) != std::wstring::npos;
}

bool MatchesWildcard(std::wstring_view name, std::wstring_view pattern) {
  if (pattern == L"*.*") {
    return true;
  }
  return MatchFrom(name, pattern);
}

std::wstring WinPath::Display() const {
  std::wstring out = root;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) {
      out += L'\\';
    }
    out += names[i];
  }
  return out;
}

WinPath WinPath::Parent() const {
  WinPath parent{root, names, false};
  if (!parent.names.empty()) {
    parent.names.pop_back();
  }
  return parent;
}

WinPath WinPath::Child(const std::wstring& name) const {
  WinPath child{root, names, false};
  child.names.push_back(name);
  return child;
}

bool WinPath::LastNameHasWildcard() const {
  return !names.empty() && std::any_of(names.back().begin(), names.back().end(), IsWildcard);
}

std::optional<WinPath> ParsePath(std::wstring_view text, const WinPath& base, bool allowWildcards,
                                 PathError* error) {
  if (text.empty()) {
    Fail(error, L"the path is empty");
    return std::nullopt;
  }
  // The long-path prefix changes nothing here.
  if (text.size() >= 4 && IsSeparator(text[0]) && IsSeparator(text[1]) && text[2] == L'?' &&
      IsSeparator(text[3])) {
    text.remove_prefix(4);
    if (text.size() >= 4 && EqualsIgnoringCase(text.substr(0, 3), L"UNC") && IsSeparator(text[3])) {
      text.remove_prefix(3);  // leaves "\server\share..."; made a share below
    }
  }

  WinPath path;
  std::wstring_view rest;
  const bool share = text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1]);
  if (share) {
    // "\\server\share" is the root of a network path; both names are needed.
    std::size_t i = 0;
    const auto skipSeparators = [&] {
      while (i < text.size() && IsSeparator(text[i])) {
        ++i;
      }
    };
    const auto readName = [&] {
      const std::size_t start = i;
      while (i < text.size() && !IsSeparator(text[i])) {
        ++i;
      }
      return std::wstring(text.substr(start, i - start));
    };
    skipSeparators();
    const std::wstring server = readName();
    skipSeparators();
    const std::wstring shareName = readName();
    if (server.empty() || shareName.empty() || server == L"." || server == L"?") {
      Fail(error, L"a network path needs a server and a share name");
      return std::nullopt;
    }
    const std::wstring both = server + shareName;
    if (std::any_of(both.begin(), both.end(),
                    [](wchar_t c) { return IsForbidden(c) || IsWildcard(c); })) {
      Fail(error, L"the share \"" + server + L"\\" + shareName +
                      L"\" holds a character Windows does not allow");
      return std::nullopt;
    }
    path.root = L"\\\\" + server + L"\\" + shareName + L"\\";
    rest = text.substr(i);
  } else if (text.size() >= 2 && text[1] == L':' &&
             ((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'a' && text[0] <= L'z'))) {
    path.root = std::wstring(1, FoldChar(text[0])) + L":\\";
    rest = text.substr(2);
  } else if (IsSeparator(text[0])) {
    path.root = base.root;
    rest = text;
  } else {
    path.root = base.root;
    path.names = base.names;
    rest = text;
  }
  path.trailingSeparator = !rest.empty() && IsSeparator(rest.back());

  std::vector<std::wstring> names = SplitNames(rest);
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::wstring name = names[i];
    const bool last = i + 1 == names.size();
    if (name == L".") {
      continue;
    }
    if (name == L"..") {
      if (!path.names.empty()) {
        path.names.pop_back();
      }
      continue;
    }
    for (const wchar_t c : name) {
      if (IsForbidden(c)) {
        Fail(error, L"the name \"" + name + L"\" holds a character Windows does not allow");
        return std::nullopt;
      }
      if (IsWildcard(c) && !(last && allowWildcards)) {
        Fail(error, L"the name \"" + name + L"\" holds a wildcard");
        return std::nullopt;
      }
    }
    if (last && std::none_of(name.begin(), name.end(), IsWildcard)) {
      // Windows drops trailing dots and blanks from the last name: "Data. " is "Data".
      const auto keep = name.find_last_not_of(L". ");
      name.erase(keep == std::wstring::npos ? 0 : keep + 1);
      if (name.empty()) {
        continue;
      }
    }
    path.names.push_back(std::move(name));
  }
  return path;
}

}  // namespace vtr::sim
