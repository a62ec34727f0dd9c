// Small text helpers: comparing and searching ignoring case, trimming, flag and error texts.
#include "util/text.h"

namespace vtr {
namespace {

wchar_t UpperChar(wchar_t c) {
  if (c >= L'a' && c <= L'z') {
    return static_cast<wchar_t>(c - (L'a' - L'A'));
  }
  // Latin-1 lower-case letters sit 32 above their capitals, except the division sign; the
  // two letters without a capital in the range (sharp s, y diaeresis) stay as they are.
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {
    return static_cast<wchar_t>(c - 0x20);
  }
  return c;
}

}  // namespace

std::wstring UpperCase(std::wstring text) {
  for (auto& c : text) {
    c = UpperChar(c);
  }
  return text;
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}

bool LeftEqualsNoCase(const std::wstring& text, std::size_t n, const std::wstring& prefix) {
  return EqualsNoCase(text.substr(0, n), prefix);
}

bool EndsWithNoCase(const std::wstring& text, const std::wstring& suffix) {
  return text.size() >= suffix.size() &&
         EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::size_t LastPositionNoCase(const std::wstring& text, const std::wstring& what) {
  if (what.empty() || what.size() > text.size()) {
    return 0;
  }
  const auto at = UpperCase(text).rfind(UpperCase(what));
  return at == std::wstring::npos ? 0 : at + 1;
}

bool Contains(const std::wstring& text, const std::wstring& what) {
  return text.find(what) != std::wstring::npos;
}

std::wstring TrimLeadingSpaces(const std::wstring& text) {
  const auto first = text.find_first_not_of(L' ');
  return first == std::wstring::npos ? std::wstring() : text.substr(first);
}

std::wstring TrimTrailingSpaces(const std::wstring& text) {
  const auto last = text.find_last_not_of(L' ');
  return last == std::wstring::npos ? std::wstring() : text.substr(0, last + 1);
}

std::wstring FlagWord(bool flag) {
  return flag ? L"True" : L"False";
}

std::wstring DescribeError(const std::wstring& description, long long number) {
  return description + L" (" + std::to_wstring(number) + L")";
}

std::wstring OneLine(const std::wstring& text) {
  std::wstring joined;
  std::wstring line;
  const auto endLine = [&] {
    const std::wstring trimmed = TrimTrailingSpaces(TrimLeadingSpaces(line));
    if (!trimmed.empty()) {
      joined += (joined.empty() ? L"" : L" | ") + trimmed;
    }
    line.clear();
  };
  for (wchar_t c : text) {
    if (c == L'\r' || c == L'\n') {
      endLine();
    } else {
      line += c < 32 ? L' ' : c;
    }
  }
  endLine();
  return joined;
}

}  // namespace vtr
