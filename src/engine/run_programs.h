// Starting other programs: a child process that is waited for, or a file handed to the shell.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace vtr {

// How the shell's result code reads: 32 or more means the program was started.
enum class ShellOutcome { Started, FileNotFound, PathNotFound, NoAssociation, Failed };
ShellOutcome ClassifyShellResult(int32_t code);

// The message for a shell call that did not start its program (none when it started). Each
// caller has its own text for a missing file; a missing path names missingPath, a missing
// association names file, and any other code reads otherBefore + code + otherAfter.
std::optional<std::wstring> ShellFailureText(int32_t code, const std::wstring& fileNotFound,
                                             const std::wstring& missingPath,
                                             const std::wstring& file,
                                             const std::wstring& otherBefore,
                                             const std::wstring& otherAfter);

// The engine's way with an error a statement raised: the box names the handler's label and
// the error; a developer (debug) may resume with the next statement, otherwise the procedure
// stops.
OnError ReportRunError(Platform& p, bool debug, const std::wstring& label, const RunError& e);

// How a waited-for child program ended: whether it started, and its exit code when its end
// was seen.
struct ChildRun {
  bool started = false;
  std::optional<uint32_t> exitCode;
};

// Runs commandLine as a child of the program at applicationPath (a full path, so no search
// can pick up a planted copy), in workFolder, and waits timeLimit milliseconds (0: no limit).
// A failure to start or wait is reported; a developer (debug) may resume after it.
ChildRun SYS_CreateP(Platform& p, bool debug, const std::wstring& applicationPath,
                     const std::wstring& commandLine, const std::wstring& workFolder,
                     int32_t timeLimit);

// Opens file through the shell and explains a failure to the user. True when it started.
bool SYS_RunProgram(Platform& p, const std::wstring& file, const std::wstring& parameters);

}  // namespace vtr
