// The path and text utilities on any text, together with the Win32 rules for texts: the own
// folder and bare name, search patterns, quoting a folder into a command line, line breaks,
// and the folder and file tests against a simulated disk.
#include <cstddef>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "engine/msi_command.h"
#include "fuzz_support.h"
#include "platform/win32/text_rules.h"
#include "sim/sim_platform.h"
#include "util/paths.h"

using vtr::fuzz::Check;
using vtr::fuzz::EndsWith;
using vtr::fuzz::StartsWith;

namespace {

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

void SplittingFromTheRight(const std::wstring& text) {
  const bool singleLine = text.find(L'\r') == std::wstring::npos;
  for (const std::wstring delimiter : {L"\\", L"/", L" ", L", ", L"Line"}) {
    std::wstring rest = text;
    const std::wstring piece = vtr::SYS_ParseRev(rest, delimiter);
    // A text that starts with a line feed and holds no delimiter (or is split in line mode)
    // gives its last line without that line feed but keeps all but its last character, as it
    // always has; every other split adds nothing.
    Check((!text.empty() && text.front() == L'\n') || piece.size() + rest.size() <= text.size(),
          "splitting adds nothing");
    if (text.size() < 2) {
      Check(piece.empty() && rest == text, "a text under two characters is not split");
    } else if (singleLine && delimiter != L"Line") {
      Check(StartsWith(text, rest) && EndsWith(text, piece),
            "a line splits into a head and a tail of itself");
    }
  }
}

void FolderParts(const std::wstring& text) {
  const std::wstring dataFolder = L"D:\\Shared\\Vantora Data";
  const std::wstring source = text.empty() ? dataFolder : text;
  Check(StartsWith(source, vtr::SYS_ParentFolder(text, dataFolder)),
        "a parent is the start of its path");

  std::wstring leading = L"unchanged";
  const std::wstring name = vtr::SYS_FolderName(text, leading);
  if (text.find_first_of(L"\\/") == std::wstring::npos) {
    Check(name == text && leading == L"unchanged", "a path without separator is its own name");
  } else {
    Check(!leading.empty() && IsSeparator(leading.back()), "the leading part ends at a separator");
    Check(StartsWith(text, leading.substr(0, leading.size() - 1)),
          "the leading part starts the path");
  }
}

void Win32TextRules(const std::wstring& text) {
  Check(StartsWith(text, vtr::win32::FolderOfPath(text)), "a file's folder starts its path");
  const std::wstring bare = vtr::win32::BareFileName(text);
  Check(bare.find_first_of(L"\\/") == std::wstring::npos && text.find(bare) != std::wstring::npos,
        "the bare name is a part of the path without separator");
  const std::wstring pattern = vtr::win32::SearchPattern(text);
  Check(pattern == text || (pattern == text + L"*" && IsSeparator(text.back())),
        "only a folder path ending in a separator gets a pattern");

  const std::wstring crlf = vtr::win32::LoneCrToCrLf(text);
  for (std::size_t i = 0; i < crlf.size(); ++i) {
    Check(crlf[i] != L'\r' || (i + 1 < crlf.size() && crlf[i + 1] == L'\n'),
          "every line break is CR LF");
  }

  // A folder the engine accepts can be quoted into a command line: the program's own name
  // ends at the closing quote, and the folder and bare name come back whole.
  if (vtr::IsSafeFolderText(text)) {
    const std::wstring exe = text + L"\\SetupVTR.exe";
    Check(vtr::win32::ArgumentsAfterProgramName(L"\"" + exe + L"\" S DB") == L"S DB",
          "a quoted safe folder stays one argument");
    // A drive or share root keeps its separator ("C:\\", not the drive-relative "C:").
    const std::wstring folder = vtr::win32::FolderOfPath(exe);
    Check(
        (folder == text || folder == text + L"\\") && vtr::win32::BareFileName(exe) == L"SetupVTR",
        "the own folder and name come back from the path");
  }
}

void FolderAndFileTests(const std::wstring& text) {
  vtr::SimPlatform p(nlohmann::json{
      {"files",
       {"C:\\Data\\a.txt", {{"path", "D:\\Locked"}, {"folder", true}, {"readOnly", true}}}}});
  vtr::SYS_FolderExists(p, text, false);
  vtr::SYS_File_FileCheck(p, L"a.txt", text, false);
  Check(p.Calls("MakeFolder").empty() && p.Calls("CreateEmptyFile").empty() &&
            p.Calls("MsgBox").empty(),
        "a quiet test without create writes nothing and shows nothing");
  vtr::SYS_FolderExists(p, text, true);
  vtr::SYS_File_FileCheck(p, L"x.txt", text, true);
  vtr::SYS_File_FileCheck(p, text, L"C:\\Data", true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::wstring text = vtr::fuzz::Text(data, size);
  SplittingFromTheRight(text);
  FolderParts(text);
  Win32TextRules(text);
  FolderAndFileTests(text);
  return 0;
}
