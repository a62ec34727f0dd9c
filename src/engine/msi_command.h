// The msiexec command lines: package names, switches, properties, interface levels, the debug
// prompts that let a tester change them, and the runs themselves.
#pragma once

#include <cstdint>
#include <string>

#include "engine/install_run.h"

namespace vtr {

// What an msiexec exit code means, in words (for the setup log).
std::wstring MsiexecExitMeaning(uint32_t code);

// "vtr3p.msi", "vtr3db_update.msi", ... for the edition and run mode.
std::wstring ProgramPackageName(bool pro, bool update);
std::wstring DatabasePackageName(bool pro, bool update);

// Chooses both packages' switches and properties for the action and installed state, asking
// for the reinstall letters in debug runs; sets the full-interface flags.
void ChooseSwitches(InstallRun& r);

// The interface level of each package's run, before the debug prompt.
std::wstring ProgramLevel(bool silent, bool remove, bool repair, bool programFullUI);
std::wstring DatabaseLevel(bool silent, bool remove, bool repair, bool databaseInstalled,
                           bool databaseFullUI);

// True when Windows allows every character of folder in a path, so it may be quoted into a
// command line; a quote could otherwise add arguments of its own.
bool IsSafeFolderText(const std::wstring& folder);

// The program and database package runs; each ends the run when its package is missing.
void RunProgramPackage(InstallRun& r);
void RunDatabasePackage(InstallRun& r);

}  // namespace vtr
