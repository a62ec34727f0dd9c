// The session state: the one record of texts and flags that start-up fills and every other
// subsystem reads. Texts start empty, flags false. The names are those the whole program uses.
#pragma once

#include <string>

namespace vtr {

struct Session {
  std::wstring gsSpace;
  std::wstring gsTab;
  std::wstring gsQuote;
  std::wstring gsCR;
  std::wstring gsCRLF;
  bool gbSilent = false;
  bool gbInstalled = false;
  bool gbDBInstalled = false;
  bool gbDebug = false;
  bool gbPro = false;
  bool gbUpdate = false;
  bool gbWorkstation = false;
  std::wstring gsVersion;
  std::wstring gsEditionID;
  std::wstring gsProdID;
  std::wstring gsDBProdID;
  std::wstring gsAppPath;
  std::wstring gsDBPath;
  std::wstring gsProgramFiles;
  std::wstring gsSystemDir;
  std::wstring gsExeName;
  // Keyword LOG: the setup log and Windows Installer's own logs are written.
  bool gbLog = false;
  // The folder the logs go to (the user's temporary folder); empty unless LOG was given and
  // the setup log could be written there.
  std::wstring gsLogFolder;
};

}  // namespace vtr
