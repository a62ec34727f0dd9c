// The program's version read from the bytes of its version resource, as the usage box shows it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/version_resource.h"

namespace vtr::win32 {
namespace {

void PutWord(std::vector<unsigned char>& out, uint32_t value) {
  out.push_back(static_cast<unsigned char>(value & 0xFF));
  out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}
void PutDword(std::vector<unsigned char>& out, uint32_t value) {
  PutWord(out, value & 0xFFFF);
  PutWord(out, value >> 16);
}

// A version resource as the resource compiler lays it out, for file version a.b.c.d.
std::vector<unsigned char> Resource(uint16_t a, uint16_t b, uint16_t c, uint16_t d,
                                    std::u16string key = u"VS_VERSION_INFO",
                                    uint32_t signature = 0xFEEF04BD, uint16_t valueLength = 52) {
  std::vector<unsigned char> out;
  PutWord(out, 0);  // total length, not looked at
  PutWord(out, valueLength);
  PutWord(out, 0);  // binary value
  for (char16_t ch : key) {
    PutWord(out, ch);
  }
  PutWord(out, 0);
  while (out.size() % 4 != 0) {
    out.push_back(0);
  }
  PutDword(out, signature);
  PutDword(out, 0x00010000);  // structure version
  PutDword(out, (uint32_t{a} << 16) | b);
  PutDword(out, (uint32_t{c} << 16) | d);
  PutDword(out, (uint32_t{a} << 16) | b);  // product version
  PutDword(out, (uint32_t{c} << 16) | d);
  for (int i = 0; i < 7; ++i) {
    PutDword(out, 0);  // flags, OS, type, subtype, date
  }
  return out;
}

std::optional<AppVersion> Parse(const std::vector<unsigned char>& bytes) {
  return ParseVersionResource(bytes.data(), bytes.size());
}

TEST(VersionResource, MajorMinorAndTheThirdFieldAsRevision) {
  const auto shipped = Parse(Resource(1, 6, 0, 0));
  ASSERT_TRUE(shipped.has_value());
  EXPECT_EQ(shipped->major, 1);
  EXPECT_EQ(shipped->minor, 6);
  EXPECT_EQ(shipped->revision, 0);

  const auto later = Parse(Resource(2, 10, 7, 3));
  ASSERT_TRUE(later.has_value());
  EXPECT_EQ(later->major, 2);
  EXPECT_EQ(later->minor, 10);
  EXPECT_EQ(later->revision, 7);

  const auto large = Parse(Resource(65535, 65534, 40000, 1));
  ASSERT_TRUE(large.has_value());
  EXPECT_EQ(large->major, 65535);
  EXPECT_EQ(large->minor, 65534);
  EXPECT_EQ(large->revision, 40000);
}

TEST(VersionResource, AnythingElseIsNoVersion) {
  EXPECT_FALSE(Parse(Resource(1, 6, 0, 0, u"VS_VERSION_INFX")).has_value());
  EXPECT_FALSE(Parse(Resource(1, 6, 0, 0, u"VS_VERSION_INF")).has_value());
  EXPECT_FALSE(Parse(Resource(1, 6, 0, 0, u"VS_VERSION_INFO", 0xFEEF04BC)).has_value());
  EXPECT_FALSE(Parse(Resource(1, 6, 0, 0, u"VS_VERSION_INFO", 0xFEEF04BD, 0)).has_value());

  std::vector<unsigned char> truncated = Resource(1, 6, 0, 0);
  truncated.resize(truncated.size() - 1);
  EXPECT_FALSE(Parse(truncated).has_value());
  EXPECT_FALSE(ParseVersionResource(nullptr, 200).has_value());
  EXPECT_FALSE(Parse({}).has_value());
}

}  // namespace
}  // namespace vtr::win32
