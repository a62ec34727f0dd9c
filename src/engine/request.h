// What a run is asked to do: the action and targets (from the command line or the wizard), the
// folders and the Outlook choice, and what the caller knows of the installed products.
#pragma once

#include <string>

#include "detect/installed.h"

namespace vtr {

struct Request {
  bool bProgram = false;   // the program package
  bool bDatabase = false;  // the database package
  bool bOutlook = false;   // set up the Outlook e-mail interface
  bool bRepair = false;
  bool bRemove = false;
  std::wstring gsAppPath;  // the program folder
  std::wstring gsDBPath;   // the database folder
  // The products' states as the caller knows them; the engine asks Windows Installer again
  // and keeps these flags where it cannot.
  InstalledStates installed;
};

}  // namespace vtr
