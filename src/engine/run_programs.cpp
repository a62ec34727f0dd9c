// Starting other programs: a child process waited for, a file handed to the shell.
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

std::optional<std::wstring> ShellFailureText(int32_t code, const std::wstring& fileNotFound,
                                             const std::wstring& missingPath,
                                             const std::wstring& file,
                                             const std::wstring& otherBefore,
                                             const std::wstring& otherAfter) {
  switch (ClassifyShellResult(code)) {
    case ShellOutcome::Started:
      return std::nullopt;
    case ShellOutcome::FileNotFound:
      return fileNotFound;
    case ShellOutcome::PathNotFound:
      return L"Path not found:" + missingPath;
    case ShellOutcome::NoAssociation:
      return L"Windows does not have a program associated for: " + file;
    case ShellOutcome::Failed:
      break;
  }
  return otherBefore + std::to_wstring(code) + otherAfter;
}

OnError ReportRunError(Platform& p, bool debug, const std::wstring& label, const RunError& e) {
  const std::wstring text = label + DescribeError(e.description, e.number) + gsCR + gsCR;
  if (debug) {
    return p.MsgBox(text + gsCR + L"Resume Next?", MsgButtons::YesNo, MsgIcon::None,
                    std::nullopt) == MsgAnswer::Yes
               ? OnError::Resume
               : OnError::Stop;
  }
  p.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical, std::nullopt);
  return OnError::Stop;
}

ChildRun SYS_CreateP(Platform& p, bool debug, const std::wstring& applicationPath,
                     const std::wstring& commandLine, const std::wstring& workFolder,
                     int32_t timeLimit) {
  ChildRun run;
  // Debug runs may go on past a failing statement; otherwise the procedure ends with false.
  const auto handler = [&](const RunError& e) {
    return ReportRunError(p, debug, L"VTR Install Error - errHdl_SYS_CreateP: ", e);
  };
  const int32_t limit = timeLimit == 0 ? -1 : timeLimit;
  std::unique_ptr<ChildProcess> child;
  if (!Attempt([&] { child = p.StartProcess(applicationPath, commandLine, workFolder); },
               handler) ||
      !child) {
    return run;  // even a developer who resumes has no process to wait for
  }
  // The child's handles close when its owner goes.
  // A wait that raised, and was not resumed, counts as a start that failed.
  run.started = Attempt(
      [&] {
        if (child->Wait(limit)) {
          run.exitCode = child->ExitCode();
        }
      },
      handler);
  return run;
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

bool SYS_RunProgram(Platform& p, const std::wstring& file, const std::wstring& parameters) {
  const int32_t code = p.ShellOpen(L"open", file, parameters, FolderOfProgram(file), kShowNormal);
  const std::optional<std::wstring> text = ShellFailureText(
      code,
      L"Program Not Found: " + file + gsCR +
          L"Please verify that the path is correct or re-install Vantora Contact Management" + gsCR,
      file, file, L"Sorry, Windows was not able to open your program: ", L"");
  if (!text) {
    return true;
  }
  p.MsgBox(*text, MsgButtons::Ok, MsgIcon::None, std::nullopt);
  return false;
}

}  // namespace vtr
