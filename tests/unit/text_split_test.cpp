// Splitting texts and paths from the right, and the command-line word splitter.
#include <gtest/gtest.h>

#include "startup/command_line.h"
#include "util/paths.h"
#include "util/text.h"

namespace vtr {
namespace {

struct ParseRevCase {
  std::wstring text;
  std::wstring delimiter;
  std::wstring piece;
  std::wstring rest;
};

TEST(ParseRev, SplitsAtTheLastDelimiter) {
  const ParseRevCase cases[] = {
      {L"C:\\Apps\\Data", L"\\", L"Data", L"C:\\Apps"},
      {L"A", L"\\", L"", L"A"},    // too short to split
      {L"", L"\\", L"", L""},      // empty stays empty
      {L"AB", L"\\", L"AB", L""},  // no delimiter: whole text, nothing left
      {L"C:\\My Apps \\ Data", L"\\", L"Data", L"C:\\My Apps"},  // blanks around go
      {L"a, b, c", L", ", L"c", L"a, b"},                        // longer delimiter
      {L"E:/share/vtr", L"/", L"vtr", L"E:/share"},
      {L"C:\\Apps\\", L"\\", L"", L"C:\\Apps"},  // a trailing delimiter leaves no piece
      {L"x\\Y", L"\\", L"Y", L"x"},
      {L"one-TWO-three", L"two-", L"three", L"one-"},  // the delimiter is found ignoring case
  };
  for (const auto& c : cases) {
    std::wstring text = c.text;
    EXPECT_EQ(SYS_ParseRev(text, c.delimiter), c.piece) << "text: " << text;
    EXPECT_EQ(text, c.rest) << "from: " << c.text;
  }
}

TEST(ParseRev, LineModeReturnsTheLastLine) {
  std::wstring text = L"first\r\nsecond";
  EXPECT_EQ(SYS_ParseRev(text, L"Line"), L"second");
  EXPECT_EQ(text, L"first");

  // A lone CR stays at the end of the shortened text; a CR LF goes with the piece.
  text = L"first\rsecond";
  EXPECT_EQ(SYS_ParseRev(text, L"Line"), L"second");
  EXPECT_EQ(text, L"first\r");

  // A break in the last position is not a line break of its own.
  text = L"only line\r";
  EXPECT_EQ(SYS_ParseRev(text, L"Line"), L"only line\r");
  EXPECT_EQ(text, L"");

  text = L"a\rb\rc";
  EXPECT_EQ(SYS_ParseRev(text, L"Line"), L"c");
  EXPECT_EQ(text, L"a\rb\r");
}

TEST(ParseRev, MultiLineTextSplitsItsLastLineOnly) {
  std::wstring text = L"C:\\first\\line\rD:\\second\\part";
  EXPECT_EQ(SYS_ParseRev(text, L"\\"), L"part");
  EXPECT_EQ(text, L"C:\\first\\line\rD:\\second");

  // The delimiter only in an earlier line: the last line is the piece.
  text = L"C:\\first\rplain";
  EXPECT_EQ(SYS_ParseRev(text, L"\\"), L"plain");
  EXPECT_EQ(text, L"C:\\first\r");
}

TEST(ParentFolder, DropsTheLastComponent) {
  EXPECT_EQ(SYS_ParentFolder(L"C:\\Program Files\\Vantora\\", L""), L"C:\\Program Files");
  EXPECT_EQ(SYS_ParentFolder(L"C:\\Program Files\\Vantora", L""), L"C:\\Program Files");
  EXPECT_EQ(SYS_ParentFolder(L"C:\\Data", L""), L"C:");
  EXPECT_EQ(SYS_ParentFolder(L"C:\\", L""), L"C:\\");  // a root is its own parent
  EXPECT_EQ(SYS_ParentFolder(L"Data", L""), L"Data");
  EXPECT_EQ(SYS_ParentFolder(L"E:/share/vtr", L""), L"E:/share");
  EXPECT_EQ(SYS_ParentFolder(L"D:\\Shared\\Vantora Data\\MainDB\\", L""),
            L"D:\\Shared\\Vantora Data");
  EXPECT_EQ(SYS_ParentFolder(L"\\", L""), L"\\");
}

TEST(ParentFolder, EmptyPathUsesTheDatabaseFolder) {
  EXPECT_EQ(SYS_ParentFolder(L"", L""), L"");
  EXPECT_EQ(SYS_ParentFolder(L"", L"D:\\Shared\\Vantora Data"), L"D:\\Shared");
}

TEST(FolderName, ReturnsTheLastNameAndWhatLeadsToIt) {
  std::wstring leading = L"untouched";
  EXPECT_EQ(SYS_FolderName(L"D:\\Apps\\Vantora\\", leading), L"Vantora");
  EXPECT_EQ(leading, L"D:\\Apps\\");

  EXPECT_EQ(SYS_FolderName(L"C:\\", leading), L"C:");
  EXPECT_EQ(leading, L"\\");

  EXPECT_EQ(SYS_FolderName(L"E:/share/vtr", leading), L"vtr");
  EXPECT_EQ(leading, L"E:/share/");

  leading = L"untouched";
  EXPECT_EQ(SYS_FolderName(L"Vantora", leading), L"Vantora");
  EXPECT_EQ(leading, L"untouched");
  EXPECT_EQ(SYS_FolderName(L"", leading), L"");
  EXPECT_EQ(leading, L"untouched");

  // With both separators the backslash wins.
  EXPECT_EQ(SYS_FolderName(L"C:/mixed\\name", leading), L"name");
  EXPECT_EQ(leading, L"C:/mixed\\");
}

TEST(RootsAndAbsoluteFolders, AsWindowsResolvesThem) {
  for (const wchar_t* root :
       {L"E:", L"e:\\", L"E:/", L"\\\\server\\share", L"\\\\server\\share\\", L"//server/share/"}) {
    EXPECT_TRUE(IsRootFolder(root)) << root;
  }
  for (const wchar_t* other : {L"", L"E:\\Data", L"\\\\server", L"\\\\server\\",
                               L"\\\\server\\share\\x", L"Apps", L"\\", L"1:"}) {
    EXPECT_FALSE(IsRootFolder(other)) << other;
  }
  for (const wchar_t* absolute :
       {L"C:\\Apps", L"c:/Apps", L"C:\\", L"\\\\server\\share", L"\\\\server\\share\\Data"}) {
    EXPECT_TRUE(IsAbsoluteFolder(absolute)) << absolute;
  }
  // Relative to the current folder, or to the current drive's root or folder: refused.
  for (const wchar_t* relative : {L"", L"Apps", L"Apps\\Sub", L"\\Apps", L"C:Apps", L"C:",
                                  L".\\Apps", L"\\\\server", L"\\\\\\share"}) {
    EXPECT_FALSE(IsAbsoluteFolder(relative)) << relative;
  }
  EXPECT_EQ(JoinPath(L"E:\\", L"\\", L"vtr3p.msi"), L"E:\\vtr3p.msi");
  EXPECT_EQ(JoinPath(L"\\\\server\\share\\", L"\\", L"vtr3p.msi"), L"\\\\server\\share\\vtr3p.msi");
  EXPECT_EQ(JoinPath(L"D:/Setup", L"/", L"vtr3p.msi"), L"D:/Setup/vtr3p.msi");
  EXPECT_EQ(JoinPath(L"D:/Apps/Vantora/", L"/", L"vtr3.exe"), L"D:/Apps/Vantora/vtr3.exe");
}

TEST(TextEnds, ComparedAtTheBoundary) {
  EXPECT_TRUE(EndsWithNoCase(L"MainDB", L"maindb"));  // the whole text is the suffix
  EXPECT_FALSE(EndsWithNoCase(L"DB", L"MainDB"));     // shorter than the suffix
  EXPECT_FALSE(EndsWithNoCase(L"", L"MainDB"));
  EXPECT_TRUE(EndsWithNoCase(L"", L""));
  EXPECT_TRUE(LeftEqualsNoCase(L"3.0", 3, L"3.0"));
  EXPECT_FALSE(LeftEqualsNoCase(L"3.", 3, L"3.0"));  // shorter: compared as it is
  EXPECT_FALSE(LeftEqualsNoCase(L"", 3, L"3.0"));
  EXPECT_TRUE(LeftEqualsNoCase(L"UPDATEVTR", 6, L"Update"));
}

TEST(SysParse, TakesWordsOffTheFront) {
  std::wstring text = L"REPAIR  DB S ";
  EXPECT_EQ(sys_parse(text, L" ", true), L"REPAIR");
  EXPECT_EQ(text, L"DB S ");  // the blanks before the next word are gone
  EXPECT_EQ(sys_parse(text, L" ", true), L"DB");
  EXPECT_EQ(sys_parse(text, L" ", true), L"S");
  EXPECT_EQ(text, L"");  // a trailing blank gives no extra word
  EXPECT_EQ(sys_parse(text, L" ", true), L"");
}

TEST(SysParse, WithoutTrimmingTwoDelimitersGiveAnEmptyWord) {
  std::wstring text = L"a  b";
  EXPECT_EQ(sys_parse(text, L" ", false), L"a");
  EXPECT_EQ(sys_parse(text, L" ", false), L"");
  EXPECT_EQ(sys_parse(text, L" ", false), L"b");
  EXPECT_EQ(text, L"");
}

TEST(SysParse, StopsAtTheEndOfTheFirstLine) {
  std::wstring text = L"first\r\n second line";
  EXPECT_EQ(sys_parse(text, L" ", true), L"first");
  EXPECT_EQ(text, L"second line");

  text = L"one\rtwo";
  EXPECT_EQ(sys_parse(text, L" ", true), L"one");
  EXPECT_EQ(text, L"two");

  // A break in the first position does not end a line.
  text = L"\rX Y";
  EXPECT_EQ(sys_parse(text, L" ", true), L"\rX");
  EXPECT_EQ(text, L"Y");

  // A tab is not a separator.
  text = L"S\tDB";
  EXPECT_EQ(sys_parse(text, L" ", true), L"S\tDB");
}

TEST(SysParse, HandlesLongAndOddInput) {
  std::wstring text(100000, L'x');
  text += L" y";
  EXPECT_EQ(sys_parse(text, L" ", true).size(), 100000u);
  EXPECT_EQ(text, L"y");

  text = L"   ";
  EXPECT_EQ(sys_parse(text, L" ", true), L"");
  EXPECT_EQ(text, L"");

  text = L"\r\n";
  EXPECT_EQ(sys_parse(text, L" ", true), L"\r\n");
  EXPECT_EQ(text, L"");

  text = L"abc";
  EXPECT_EQ(sys_parse(text, L"", true), L"abc");  // no delimiter: the whole line
  EXPECT_EQ(text, L"");
}

}  // namespace
}  // namespace vtr
