// The folder panel: browsing for the program and database folders, and the check that the
// folders typed or picked are usable before the wizard leaves the panel.
#include "util/paths.h"
#include "util/text.h"
#include "wizard/controls.h"
#include "wizard/fm_main.h"

namespace vtr {
namespace {

// The folder the database package creates below the folder the user picks.
const std::wstring kDataFolder = L"Vantora Data";

}  // namespace

std::wstring WithDataFolder(const std::wstring& folder) {
  const std::wstring separator = Contains(folder, L"/") ? L"/" : L"\\";
  std::wstring trimmed = folder;
  if (!trimmed.empty() && trimmed.back() == separator.front()) {
    trimmed.pop_back();
  }
  if (folder.empty() || EndsWithNoCase(trimmed, kDataFolder) ||
      EndsWithNoCase(trimmed, kDataFolder + separator + L"MainDB")) {
    return folder;
  }
  return trimmed + separator + kDataFolder;
}

void fmMain::ClearFolderErrors() {
  using namespace ctl;
  form_.SetForeColour(txPath(1), kWindowText);
  form_.SetForeColour(txPath(2), kWindowText);
  form_.SetVisible(lbErr(), false);
}

void fmMain::RestoreStartUpFolders() {
  using namespace ctl;
  form_.SetCaption(txPath(1), folders_.gsAppPath);
  form_.SetCaption(txPath(2), folders_.gsDBPath);
  ClearFolderErrors();
}

void fmMain::cmdPath_Click(int index) {
  std::wstring prompt = L"Vantora Contact Management " + e_.gsVersion.substr(0, 3) + gsCR + gsCR;
  if (index == 1) {
    prompt += L"Select folder for Program Files Installation:";
  } else {
    prompt += L"Select folder for Database Installation:";
    prompt += L"  (Note: Will create '" + kDataFolder + L"' in the directory you select)";
  }
  std::wstring answer = BrowseFolder(prompt, false);
  if (answer.empty()) {
    return;  // cancelled: the box keeps its text
  }
  const std::wstring separator = Contains(answer, L"/") ? L"/" : L"\\";
  if (index == 2 && !EndsWithNoCase(answer, kDataFolder)) {
    answer += separator + kDataFolder;
  }
  form_.SetCaption(ctl::txPath(index), answer);
}

std::wstring fmMain::BrowseFolder(std::wstring& title, bool bProgramFilesRoot) {
  if (title.empty()) {
    title = L"Select Installation Folder:";
  }
  // A picker that fails is a cancel to the caller; only a developer hears why.
  std::wstring folder;
  Attempt([&] { folder = p_.BrowseForFolder(title, bProgramFilesRoot).value_or(L""); },
          [&](const RunError& e) {
            if (o_.gbDebug) {
              p_.MsgBox(L"errHdl_BrowseFolder: " + DescribeError(e.description, e.number),
                        MsgButtons::Ok, MsgIcon::None, std::nullopt);
            }
            return OnError::Stop;
          });
  return folder;
}

bool fmMain::Check_Paths() {
  using namespace ctl;
  if (PanelOnShow() != 7) {
    return true;
  }
  bool bErr = false;
  std::wstring lastPath;
  const auto report = [&](const RunError& e) {
    if (o_.gbDebug) {
      p_.MsgBox(L"errHdl_Check_Paths: " + DescribeError(e.description, e.number) + gsCR + lastPath,
                MsgButtons::Ok, MsgIcon::None, std::nullopt);
    }
    return OnError::Resume;
  };

  // Each ticked box is examined afresh: back to the normal colour, red again if it fails.
  // A missing folder is made here when its parent exists. After the first bad box the
  // character message is not shown again.
  for (int i : {1, 2}) {
    Attempt(
        [&] {
          if (form_.At(ckInstall(i)).value == 0) {
            return;
          }
          form_.SetForeColour(txPath(i), kWindowText);
          lastPath = form_.At(txPath(i)).caption;
          // A relative folder would be made wherever the current folder happens to be.
          if (!SYS_StrCheck(p_, lastPath, bErr) || !IsAbsoluteFolder(lastPath) ||
              !SYS_FolderExists(p_, lastPath, true)) {
            form_.SetForeColour(txPath(i), kRed);
            bErr = true;
          }
        },
        report);
  }

  Attempt(
      [&] {
        form_.SetVisible(lbErr(), bErr);
        form_.SetVisible(lbWarning(), !bErr && !form_.At(frWSName()).visible);
      },
      report);
  if (bErr) {
    Attempt(
        [&] {
          form_.SetCaption(lbErr(), lastPath.empty() ? L"ERROR: Please enter a valid path"
                                                     : L"Path entered is invalid, please correct");
        },
        report);
    return false;
  }
  return true;
}

}  // namespace vtr
