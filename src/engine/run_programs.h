// Starting other programs: a child process that is waited for, or a file handed to the shell.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "startup/session.h"

namespace vtr {

// How the shell's result code reads: 32 or more means the program was started.
enum class ShellOutcome { Started, FileNotFound, PathNotFound, NoAssociation, Failed };
ShellOutcome ClassifyShellResult(int32_t code);

// Runs commandLine as a child of the program at applicationPath (a full path, so no search
// can pick up a planted copy), in workFolder, and waits timeLimit milliseconds (0: no limit).
// True when it started; exitCode then holds the child's exit code if it ended.
bool SYS_CreateP(const Session& s, Platform& p, const std::wstring& applicationPath,
                 const std::wstring& commandLine, const std::wstring& workFolder, int32_t timeLimit,
                 std::optional<uint32_t>& exitCode);

// Opens file through the shell and explains a failure to the user. True when it started.
bool SYS_RunProgram(const Session& s, Platform& p, const std::wstring& file,
                    const std::wstring& parameters);

}  // namespace vtr
