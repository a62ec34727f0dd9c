// Keeping planted DLLs out. The setup program runs elevated from a download folder, where
// anyone may have left a DLL named like a system one. The executable imports only DLLs that
// Windows always takes from its own folder; everything else is loaded from the system folder
// by the calls below, before anything could load it by name from the program's folder.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win32/unique_resources.h"

namespace vtr::win32 {

// Limits the DLL search of the whole process to the system folder, and takes the current
// folder out of it. Called first thing, before any other DLL is loaded. Where Windows lacks
// the call (an unpatched Windows 7 or older) only the current folder is taken out.
void RestrictDllSearchToSystemFolder();

// Loads a DLL from the system folder only; null when it is not there.
UniqueModule LoadSystemLibrary(const wchar_t* name);

// The system DLLs that Windows' own components load by name once they are used, in sets by
// what first uses them. Each set is loaded from the system folder before anything that uses
// it runs, so that later loads by name find the DLLs in memory, and stays loaded for the rest
// of the run; a silent run never loads the sets that only windows and the wizard use.
enum class LibrarySet {
  Start,   // every run, from its start
  Window,  // before the first window or box is built
  Shell,   // before the shell opens a file or shows a folder
  Later,   // the wizard's later steps; loaded once its first panel is painted
};

// Loads one set from the system folder, keeping the modules in the vector given.
void LoadSystemLibraries(LibrarySet set, std::vector<UniqueModule>& into);

// The set every run needs, loaded at once and kept for the life of the object. The common
// controls are not among the sets: the manifest asks for version 6, so Windows takes them
// from its side-by-side store whoever loads them by name, and only the wizard's window needs
// them (LoadCommonControls).
class SystemLibraries {
 public:
  SystemLibraries();
  SystemLibraries(const SystemLibraries&) = delete;
  SystemLibraries& operator=(const SystemLibraries&) = delete;

 private:
  std::vector<UniqueModule> modules_;
};

// Loads the common controls (version 6, as the manifest asks) the way the system DLLs are
// loaded, and registers their classes. Null when that is not possible; the controls are then
// the plain ones of user32.
UniqueModule LoadCommonControls();

}  // namespace vtr::win32
