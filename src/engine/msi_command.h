// The pieces of msiexec command lines: package names, interface levels, folder texts that may
// be quoted into a command line, and the debug prompts that let a tester change them.
#pragma once

#include <cstdint>
#include <string>

namespace vtr {

// What an msiexec exit code means, in words (for the setup log).
std::wstring MsiexecExitMeaning(uint32_t code);

// "vtr3p.msi", "vtr3db_update.msi", ... for the edition and run mode.
std::wstring ProgramPackageName(bool pro, bool update);
std::wstring DatabasePackageName(bool pro, bool update);

// The interface level of each package's run, before the debug prompt.
std::wstring ProgramLevel(bool silent, bool remove, bool repair, bool programFullUI);
std::wstring DatabaseLevel(bool silent, bool remove, bool repair, bool databaseInstalled,
                           bool databaseFullUI);

// True when Windows allows every character of folder in a path, so it may be quoted into a
// command line; a quote could otherwise add arguments of its own.
bool IsSafeFolderText(const std::wstring& folder);

// The debug prompts: the reinstall letters (ending in question) and each package's level.
std::wstring ReinstallPrompt(const std::wstring& question);
std::wstring ProgramLevelPrompt();
std::wstring DatabaseLevelPrompt();

}  // namespace vtr
