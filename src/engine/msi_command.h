// The pieces of msiexec command lines: package names, interface levels, folder texts that may
// be quoted into a command line, and the debug prompts that let a tester change them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "detect/installed.h"
#include "detect/run_setup.h"
#include "engine/plan.h"

namespace vtr {

// msiexec's arguments for the package, as they are started.
std::wstring MsiexecArguments(const PackageRun& run);
// msiexec's arguments that remove again the product the package newly installed.
std::wstring RollbackArguments(const PackageRun& run);

// The package's properties with TARGETDIR (when there is a target) after them.
std::wstring WithTargetDir(std::wstring properties, const std::wstring& target);

// With LOG: Windows Installer's own verbose log of the package's run, as an argument; else "".
std::wstring VerboseLogArgument(const RunOptions& o, const std::wstring& fileName);

// Why a removal cannot hand Windows Installer the package file on the media; none when it can.
std::optional<std::wstring> ByProductCodeReason(bool found, const PackageOnMedia& media,
                                                const std::wstring& fileName);

// The removal goes by the installed product's code (for reason), with the same properties and
// level.
void RemoveByProductCode(PackageRun& run, std::wstring reason);

// What an msiexec exit code means, in words (for the setup log).
std::wstring MsiexecExitMeaning(uint32_t code);

// The interface level of each package's run, before the debug prompt.
std::wstring ProgramLevel(bool silent, bool remove, bool repair, bool programFullUI);
std::wstring DatabaseLevel(bool silent, bool remove, bool repair, bool databaseInstalled,
                           bool databaseFullUI);

// The debug prompts: the reinstall letters (ending in question) and each package's level.
std::wstring ReinstallPrompt(const std::wstring& question);
std::wstring ProgramLevelPrompt();
std::wstring DatabaseLevelPrompt();

}  // namespace vtr
