// What a run is asked to do: the action and targets (from the command line or the wizard), the
// folders and the Outlook choice.
#pragma once

#include <string>

#include "detect/folders.h"

namespace vtr {

// The action and its targets.
struct Targets {
  bool bProgram = false;   // the program package
  bool bDatabase = false;  // the database package
  bool bOutlook = false;   // set up the Outlook e-mail interface
  bool bRepair = false;
  bool bRemove = false;
};

struct Request : Targets {
  std::wstring gsAppPath;  // the program folder
  std::wstring gsDBPath;   // the database folder
};

// The request for the targets chosen (on the command line or in the wizard), with the folders
// as they stand.
inline Request RequestFor(const Targets& targets, const Folders& folders) {
  return Request{targets, folders.gsAppPath, folders.gsDBPath};
}

}  // namespace vtr
