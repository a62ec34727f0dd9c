#include "engine/run_programs.h"

#include <memory>

#include "util/paths.h"
#include "util/text.h"

namespace vtr {

ShellOutcome ClassifyShellResult(int32_t code) {
  if (code >= 32) {
    return ShellOutcome::Started;
  }
  switch (code) {
    case 2:
      return ShellOutcome::FileNotFound;
    case 3:
      return ShellOutcome::PathNotFound;
    case 31:
      return ShellOutcome::NoAssociation;
    default:
      return ShellOutcome::Failed;
  }
}

bool SYS_CreateP(const Session& s, Platform& p, const std::wstring& applicationPath,
                 const std::wstring& commandLine, const std::wstring& workFolder, int32_t timeLimit,
                 std::optional<uint32_t>& exitCode) {
  exitCode.reset();
  // Debug runs may go on past a failing statement; otherwise the run ends with false.
  const auto resumeAfter = [&](const RunError& e) {
    const std::wstring text = L"VTR Install Error - errHdl_SYS_CreateP: " +
                              DescribeError(e.description, e.number) + s.gsCR + s.gsCR;
    if (s.gbDebug) {
      return p.MsgBox(text + s.gsCR + L"Resume Next?", MsgButtons::YesNo, MsgIcon::None,
                      std::nullopt) == MsgAnswer::Yes;
    }
    p.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical, std::nullopt);
    return false;
  };

  const int32_t limit = timeLimit == 0 ? -1 : timeLimit;
  std::unique_ptr<ChildProcess> child;
  try {
    child = p.StartProcess(applicationPath, commandLine, workFolder);
  } catch (const RunError& e) {
    resumeAfter(e);
    return false;
  }
  if (!child) {
    return false;
  }
  try {
    if (child->Wait(limit)) {
      exitCode = child->ExitCode();
    }
  } catch (const RunError& e) {
    return resumeAfter(e);
  }
  // The child's handles close here, when its owner goes.
  return true;
}

namespace {

// The folder of a program given by its full path ("" otherwise): it is started there, so it
// never looks for its DLLs in the folder the (elevated) setup program was downloaded to.
std::wstring FolderOfProgram(const std::wstring& file) {
  const auto separator = file.find_last_of(L"\\/");
  if (separator == std::wstring::npos || !IsAbsoluteFolder(file)) {
    return {};
  }
  const std::wstring folder = file.substr(0, separator);
  return IsRootFolder(folder) ? file.substr(0, separator + 1) : folder;
}

}  // namespace

bool SYS_RunProgram(const Session& s, Platform& p, const std::wstring& file,
                    const std::wstring& parameters) {
  const int32_t code = p.ShellOpen(L"open", file, parameters, FolderOfProgram(file), kShowNormal);
  std::wstring text;
  switch (ClassifyShellResult(code)) {
    case ShellOutcome::Started:
      return true;
    case ShellOutcome::FileNotFound:
      text = L"Program Not Found: " + file + s.gsCR +
             L"Please verify that the path is correct or re-install Vantora Contact "
             L"Management" +
             s.gsCR;
      break;
    case ShellOutcome::PathNotFound:
      text = L"Path not found:" + file;
      break;
    case ShellOutcome::NoAssociation:
      text = L"Windows does not have a program associated for: " + file;
      break;
    case ShellOutcome::Failed:
      text = L"Sorry, Windows was not able to open your program: " + std::to_wstring(code);
      break;
  }
  p.MsgBox(text, MsgButtons::Ok, MsgIcon::None, std::nullopt);
  return false;
}

}  // namespace vtr
