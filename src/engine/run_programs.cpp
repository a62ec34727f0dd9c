// Starting other programs: a child process waited for, the product started for the user.
#include "engine/run_programs.h"

#include <memory>

#include "util/paths.h"
#include "util/text.h"

namespace vtr {

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
    run.reported = true;
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

// A program started in its own folder never looks for its DLLs in the folder the (elevated)
// setup program was downloaded to.
std::wstring FolderOfProgram(const std::wstring& file) {
  const auto separator = file.find_last_of(L"\\/");
  if (separator == std::wstring::npos || !IsAbsoluteFolder(file)) {
    return {};
  }
  const std::wstring folder = file.substr(0, separator);
  return IsRootFolder(folder) ? file.substr(0, separator + 1) : folder;
}

bool LaunchForUser(Platform& p, const std::wstring& file) {
  const DesktopLaunch launch = IsAbsoluteFolder(file)
                                   ? p.StartAsDesktopUser(file, FolderOfProgram(file))
                                   : DesktopLaunch{LaunchWay::NotFound, L"not a full path"};
  if (launch.way == LaunchWay::DesktopShell || launch.way == LaunchWay::OwnProcess) {
    return true;
  }
  const std::wstring text =
      launch.way == LaunchWay::NotStarted
          ? L"Sorry, Windows was not able to open your program: " + file + gsCR + launch.detail +
                gsCR
          : L"Program Not Found: " + file + gsCR +
                L"Please verify that the path is correct or re-install Vantora Contact "
                L"Management" +
                gsCR;
  p.MsgBox(text, MsgButtons::Ok, MsgIcon::None, std::nullopt);
  return false;
}

}  // namespace vtr
