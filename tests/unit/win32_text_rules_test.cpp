// The Windows rules the Win32 back end applies to texts: the program's own name on its command
// line, the parts of its own path, search patterns, attribute masks and prompt line breaks.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/win32/text_rules.h"

namespace vtr::win32 {
namespace {

TEST(ArgumentsAfterProgramName, FollowWindowsRulesForTheFirstToken) {
  struct Case {
    const wchar_t* line;
    const wchar_t* arguments;
  };
  const Case cases[] = {
      {L"\"C:\\Down Loads\\SetupVTR.exe\" S DB", L"S DB"},
      {L"C:\\Downloads\\SetupVTR.exe S DB", L"S DB"},
      {L"SetupVTR S", L"S"},
      {L"\"C:\\Down Loads\\SetupVTR.exe\"", L""},
      {L"SetupVTR.exe", L""},
      {L"", L""},
      // The blanks after the name go; the arguments keep their own spacing, trailing included.
      {L"SetupVTR.exe \t  REPAIR   S  ", L"REPAIR   S  "},
      {L"\"Setup VTR.exe\"\tDEBUG", L"DEBUG"},
      // Text glued to the closing quote still belongs to the name, as for the C runtime.
      {L"\"C:\\Down Loads\\Setup\"VTR.exe S", L"S"},
      // An unclosed quote makes the whole line the name.
      {L"\"C:\\Down Loads\\SetupVTR.exe S", L""},
      // Quotes in the arguments are the arguments' business.
      {L"SetupVTR.exe \"two words\" S", L"\"two words\" S"},
      {L"C:\\Pr\u00f6gramme\\\u2603.exe  \u4e2d S", L"\u4e2d S"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ArgumentsAfterProgramName(c.line), c.arguments) << c.line;
  }
}

TEST(OwnPathParts, FolderWithoutSeparatorAndNameWithoutExtension) {
  EXPECT_EQ(FolderOfPath(L"C:\\Down Loads\\SetupVTR.exe"), L"C:\\Down Loads");
  EXPECT_EQ(BareFileName(L"C:\\Down Loads\\SetupVTR.exe"), L"SetupVTR");
  // A root keeps its separator: Windows finds nothing for a bare "E:" or "\\server\share".
  EXPECT_EQ(FolderOfPath(L"E:\\SetupVTR.exe"), L"E:\\");
  EXPECT_EQ(FolderOfPath(L"E:/SetupVTR.exe"), L"E:/");
  // Only the last extension goes: a copy named for the updater keeps its dots.
  EXPECT_EQ(BareFileName(L"C:\\Dl\\Update.v2.exe"), L"Update.v2");
  EXPECT_EQ(BareFileName(L"C:\\Dl\\VTR Setup.exe"), L"VTR Setup");
  EXPECT_EQ(BareFileName(L"C:\\Dl.d\\SetupVTR"), L"SetupVTR");
  EXPECT_EQ(BareFileName(L"\\\\server\\share\\.hidden"), L".hidden");
  EXPECT_EQ(FolderOfPath(L"\\\\server\\share\\SetupVTR.exe"), L"\\\\server\\share\\");
  EXPECT_EQ(FolderOfPath(L"\\\\server\\share\\Media\\SetupVTR.exe"), L"\\\\server\\share\\Media");
  EXPECT_EQ(BareFileName(L"D:/mixed\\sep/UpdateVTR.EXE"), L"UpdateVTR");
  EXPECT_EQ(FolderOfPath(L"D:/mixed\\sep/UpdateVTR.EXE"), L"D:/mixed\\sep");
  EXPECT_EQ(FolderOfPath(L"SetupVTR.exe"), L"");
}

TEST(SearchPatterns, AFolderEndingInASeparatorListsItsContents) {
  EXPECT_EQ(SearchPattern(L"C:\\Data\\"), L"C:\\Data\\*");
  EXPECT_EQ(SearchPattern(L"C:/Data/"), L"C:/Data/*");
  EXPECT_EQ(SearchPattern(L"C:\\"), L"C:\\*");
  EXPECT_EQ(SearchPattern(L"C:\\Data"), L"C:\\Data");
  EXPECT_EQ(SearchPattern(L"C:\\Data\\*.dot"), L"C:\\Data\\*.dot");
  EXPECT_EQ(SearchPattern(L""), L"");
}

TEST(AttributeMasks, NormalFilesOnlyOrEverything) {
  constexpr uint32_t kReadOnly = 0x1;
  constexpr uint32_t kArchive = 0x20;
  constexpr uint32_t kNormal = 0x80;
  struct Case {
    uint32_t attributes;
    bool normalMask;
    bool allMask;
  };
  const Case cases[] = {
      {kNormal, true, true},
      {kArchive, true, true},
      {kReadOnly, true, true},  // a package on read-only media
      {kReadOnly | kArchive, true, true},
      {kEntryHidden, false, true},
      {kEntrySystem | kArchive, false, true},
      {kEntryFolder, false, true},
      {kEntryFolder | kReadOnly, false, true},
      {kEntryHidden | kEntrySystem | kEntryFolder, false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EntryMatchesMask(c.attributes, kAttrNormal), c.normalMask) << c.attributes;
    EXPECT_EQ(EntryMatchesMask(c.attributes, kAttrAll), c.allMask) << c.attributes;
  }
  // A mask lets through only the kinds it names.
  EXPECT_TRUE(EntryMatchesMask(kEntryFolder, 16));
  EXPECT_FALSE(EntryMatchesMask(kEntryFolder | kEntryHidden, 16));
  EXPECT_TRUE(EntryMatchesMask(kEntryHidden | kArchive, 2));
}

TEST(PromptLineBreaks, LoneCarriageReturnsBecomeCrLf) {
  EXPECT_EQ(LoneCrToCrLf(L"one\rtwo"), L"one\r\ntwo");
  EXPECT_EQ(LoneCrToCrLf(L"one\r\ntwo"), L"one\r\ntwo");
  EXPECT_EQ(LoneCrToCrLf(L"one\r\rtwo\r"), L"one\r\n\r\ntwo\r\n");
  EXPECT_EQ(LoneCrToCrLf(L"one\ntwo"), L"one\ntwo");
  EXPECT_EQ(LoneCrToCrLf(L"\r"), L"\r\n");
  EXPECT_EQ(LoneCrToCrLf(L""), L"");
}

}  // namespace
}  // namespace vtr::win32
