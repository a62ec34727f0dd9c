// The program's version as its VS_VERSIONINFO resource holds it. Plain bytes in, so the
// reading is checked natively as well as under Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/platform.h"

namespace vtr::win32 {

namespace version_resource_detail {

inline uint16_t Word(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t Dword(const unsigned char* p) {
  return static_cast<uint32_t>(Word(p)) | (static_cast<uint32_t>(Word(p + 2)) << 16);
}

}  // namespace version_resource_detail

// Major, minor and revision (the third field of the file version); nothing when the bytes are
// not a version resource. The layout: three words (length, value length, type), the key
// "VS_VERSION_INFO" in UTF-16 with its NUL, padding to 32 bits, then VS_FIXEDFILEINFO.
inline std::optional<AppVersion> ParseVersionResource(const unsigned char* data, size_t size) {
  using version_resource_detail::Dword;
  using version_resource_detail::Word;
  constexpr char16_t kKey[] = u"VS_VERSION_INFO";
  constexpr size_t kKeyOffset = 6;
  constexpr size_t kValueOffset = (kKeyOffset + sizeof(kKey) + 3) & ~size_t{3};
  constexpr size_t kFixedInfoSize = 13 * 4;
  constexpr uint32_t kSignature = 0xFEEF04BD;
  if (data == nullptr || size < kValueOffset + kFixedInfoSize) {
    return std::nullopt;
  }
  if (Word(data + 2) < kFixedInfoSize) {
    return std::nullopt;
  }
  for (size_t i = 0; i < sizeof(kKey) / sizeof(kKey[0]); ++i) {
    if (Word(data + kKeyOffset + 2 * i) != kKey[i]) {
      return std::nullopt;
    }
  }
  const unsigned char* fixed = data + kValueOffset;
  if (Dword(fixed) != kSignature) {
    return std::nullopt;
  }
  const uint32_t fileMs = Dword(fixed + 8);
  const uint32_t fileLs = Dword(fixed + 12);
  return AppVersion{static_cast<int>(fileMs >> 16), static_cast<int>(fileMs & 0xFFFF),
                    static_cast<int>(fileLs >> 16)};
}

}  // namespace vtr::win32
