// SYS_StrCheck: the last folder name of a path may not hold the characters Windows forbids
// in file names.
#include "util/paths.h"
#include "util/text.h"
#include "wizard/fm_main.h"

namespace vtr {
namespace {

bool Forbidden(wchar_t c) {
  // Characters beyond ASCII pass: Windows allows them, whatever the user's code page.
  switch (c) {
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
    case L'"':
    case L'*':
    case L'/':
    case L':':
    case L'<':
    case L'>':
    case L'?':
    case L'\\':
    case L'|':
      return true;
    default:
      return false;
  }
}

}  // namespace

bool SYS_StrCheck(Platform& p, const std::wstring& path, bool bQuiet) {
  std::wstring leading;
  const std::wstring name = SYS_FolderName(path, leading);
  if (name.empty()) {
    return false;
  }
  for (wchar_t c : name) {
    if (!Forbidden(c)) {
      continue;
    }
    if (!bQuiet) {
      p.MsgBox(L"Sorry, certain characters like '  " + std::wstring(1, c) + L"  ' are not allowed" +
                   gsCR + L" / \\ : * ? " + gsQuote +
                   L" < > | are not allowed in Windows Folder Names" + gsCR + gsCR +
                   L"Please enter a valid folder name" + gsCR + gsCR,
               MsgButtons::Ok, MsgIcon::Information, std::nullopt);
    }
    return false;
  }
  return true;
}

}  // namespace vtr
