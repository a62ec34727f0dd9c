// What a run is asked to do: the action and targets (from the command line or the wizard), the
// folders and the Outlook choice.
#pragma once

#include <string>

namespace vtr {

struct Request {
  bool bProgram = false;   // the program package
  bool bDatabase = false;  // the database package
  bool bOutlook = false;   // set up the Outlook e-mail interface
  bool bRepair = false;
  bool bRemove = false;
  std::wstring gsAppPath;  // the program folder
  std::wstring gsDBPath;   // the database folder
};

}  // namespace vtr
