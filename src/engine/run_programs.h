// Starting other programs: a child process that is waited for, or the product for the user.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace vtr {

// The engine's way with an error a statement raised: the box names the handler's label and
// the error; a developer (debug) may resume with the next statement, otherwise the procedure
// stops.
OnError ReportRunError(Platform& p, bool debug, const std::wstring& label, const RunError& e);

// How a waited-for child program ended: whether it started, and its exit code when its end
// was seen.
struct ChildRun {
  bool started = false;
  std::optional<uint32_t> exitCode;
  bool reported = false;  // starting or waiting raised an error, which a box showed
};

// Runs commandLine as a child of the program at applicationPath (a full path, so no search
// can pick up a planted copy), in workFolder, and waits timeLimit milliseconds (0: no limit).
// A failure to start or wait is reported; a developer (debug) may resume after it.
ChildRun SYS_CreateP(Platform& p, bool debug, const std::wstring& applicationPath,
                     const std::wstring& commandLine, const std::wstring& workFolder,
                     int32_t timeLimit);

// The folder of a program given by its full path ("" otherwise): the folder it is started in.
std::wstring FolderOfProgram(const std::wstring& file);

// Starts the installed program for the person at the desktop, without setup's rights (see
// Platform::StartAsDesktopUser), in its own folder, and explains a failure to the user. True
// when it started.
bool LaunchForUser(Platform& p, const std::wstring& file);

}  // namespace vtr
