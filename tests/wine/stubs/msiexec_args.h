// How the msiexec stand-in passes a command line on to Wine's own msiexec.
#pragma once

#include <string>

namespace vtrstub {

// The arguments of a command line: everything after the program name, leading blanks cut.
std::wstring ArgumentsOf(const std::wstring& commandLine);

// Wine's msiexec has no repair ("/f<letters> package" answers 1605), so a repair of a package
// goes on as the install that Windows Installer performs for it: "/i package ...
// REINSTALL=ALL REINSTALLMODE=<letters>" (Windows' own letters "omus" for a bare "/f"). Any
// other arguments, and a repair by product code, go on unchanged.
std::wstring PassedOnArguments(const std::wstring& arguments);

}  // namespace vtrstub
