// The command-line keywords: silent-run targets and action, the silent, debug, log (with its
// folder), plan and no-restart switches.
#pragma once

#include <string>

#include "detect/run_setup.h"
#include "platform/platform.h"

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

// Reads the command line into flags and the run options (silent, debug, log, plan,
// no restart). On a word
// that is not a keyword it sets bInvalidWord, shows the usage box and returns false: the
// program must end, even when the box itself could not be shown.
bool ReadCommandLine(Platform& p, RunOptions& options, CommandFlags& flags);

}  // namespace vtr
