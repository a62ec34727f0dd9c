// The command-line keywords: silent-run targets and action, the silent, debug and log switches.
#pragma once

#include <string>

#include "platform/platform.h"
#include "startup/session.h"

namespace vtr {

// Start-up's own choices from the command line; they matter only in a silent run.
struct CommandFlags {
  bool bProgram = false;
  bool bDatabase = false;
  bool bOutlook = false;
  bool bRepair = false;
  bool bRemove = false;
  bool bInvalidWord = false;  // a word that is no keyword: the program ends, installing nothing
};

// Takes the next word off text (consumed in place) up to the delimiter or the end of the
// first line; with trimLeading the blanks before the following word go too.
std::wstring sys_parse(std::wstring& text, const std::wstring& delimiter, bool trimLeading);

// Reads the command line into flags and the session's silent, debug and log switches. On a word
// that is not a keyword it sets bInvalidWord, shows the usage box and returns false: the
// program must end, even when the box itself could not be shown.
bool ReadCommandLine(Session& s, Platform& p, CommandFlags& flags);

}  // namespace vtr
