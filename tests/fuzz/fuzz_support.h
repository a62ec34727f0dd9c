// What the fuzz targets share: the input bytes read as a text the way Windows would hold it,
// and a check that stops the run with a message when the program breaks a rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace vtr::fuzz {

// The bytes as a 16-bit Windows text: UTF-8 where they are UTF-8 (characters beyond the first
// plane become surrogate pairs, an encoded surrogate half stays a lone half), every other
// byte as the Latin-1 character of that value. So any input is some text, NULs included.
inline std::wstring Text(const uint8_t* data, std::size_t size) {
  std::wstring out;
  std::size_t i = 0;
  while (i < size) {
    const uint8_t lead = data[i];
    std::size_t length = lead < 0x80         ? 1
                         : (lead >> 5) == 6  ? 2
                         : (lead >> 4) == 14 ? 3
                         : (lead >> 3) == 30 ? 4
                                             : 0;
    char32_t c = length == 1   ? lead
                 : length == 2 ? lead & 0x1F
                 : length == 3 ? lead & 0x0F
                               : lead & 0x07;
    for (std::size_t k = 1; k < length; ++k) {
      if (i + k >= size || (data[i + k] & 0xC0) != 0x80) {
        length = 0;
        break;
      }
      c = (c << 6) | (data[i + k] & 0x3F);
    }
    if (length == 0 || c > 0x10FFFF) {
      out.push_back(static_cast<wchar_t>(lead));
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<wchar_t>(c));
    }
    i += length;
  }
  return out;
}

// A broken rule: says which, and ends the run so that libFuzzer keeps the input.
inline void Check(bool ok, const char* rule) {
  if (!ok) {
    std::fprintf(stderr, "fuzz check failed: %s\n", rule);
    std::abort();
  }
}

inline bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

inline bool EndsWith(const std::wstring& text, const std::wstring& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace vtr::fuzz
