#include "engine/msi_command.h"

#include "detect/install_paths.h"
#include "engine/migration.h"
#include "engine/run_programs.h"
#include "util/paths.h"
#include "util/text.h"

namespace vtr {
namespace {

constexpr wchar_t kMsiexec[] = L"msiexec.exe";

std::wstring PromptLines(const Session& s, std::initializer_list<const wchar_t*> lines,
                         const std::wstring& question) {
  std::wstring text;
  for (const auto* line : lines) {
    text += line + s.gsCR;
  }
  return text + s.gsCR + question;
}

// The reinstall-letters prompt; an empty answer means a plain "/f ".
std::wstring AskReinstallSwitch(InstallRun& r, const std::wstring& question,
                                const std::wstring& current) {
  const std::wstring prompt = PromptLines(
      r.s,
      {L"p - Reinstalls only if file is missing", L"o - Reinstall missing or older versions only",
       L"e - Reinstall missing or equal or older versions",
       L"d - Reinstall missing or different versions", L"a - Forces all files to be reinstalled",
       L"um - Rewrites registry (u-user/m-machine)", L"s - Overwrites shortcuts",
       L"v - Runs from source"},
      question);
  std::wstring answer = r.p.InputBox(prompt, r.p.OwnTitle(), current);
  if (answer.empty()) {
    answer = L"/f ";
  }
  if (answer.back() != L' ') {
    answer += L' ';
  }
  return answer;
}

// The interface-level prompt: an empty answer offers to cancel the whole run.
std::wstring AskLevel(InstallRun& r, const std::wstring& prompt, const std::wstring& current) {
  std::wstring answer = r.p.InputBox(prompt, r.p.OwnTitle(), current);
  if (answer.empty()) {
    if (r.p.MsgBox(L"Cancel install?", MsgButtons::YesNo, MsgIcon::Exclamation, std::nullopt) ==
        MsgAnswer::Yes) {
      r.report.cancelled = true;
      throw EndOfRun{};
    }
    return L" /qb-";
  }
  if (answer.front() != L' ') {
    answer.insert(0, L" ");
  }
  return answer;
}

// The package's path in the source folder, or the missing-package message and the end.
std::wstring PackagePath(InstallRun& r, const std::wstring& fileName) {
  const std::wstring path = JoinPath(r.sourceFolder, r.sourceSeparator, fileName);
  if (!SYS_File_FileCheck(r.s, r.p, fileName, r.sourceFolder, false, true)) {
    r.Fail(L"SYS_Install: Unable to open installation package: " + r.s.gsCR + path + r.s.gsCR +
           r.s.gsCR +
           L"NOTE: The installation file must be in the same directory as this setup program (" +
           r.p.OwnFileName() + L")." + r.s.gsCR);
    throw EndOfRun{};
  }
  return path;
}

// A folder with characters Windows never allows, or a relative one (Windows Installer would
// take it from its own current folder), is refused before it reaches a command line.
bool CheckTargetFolder(InstallRun& r, const std::wstring& folder) {
  if (IsSafeFolderText(folder) && (folder.empty() || IsAbsoluteFolder(folder))) {
    return true;
  }
  r.Fail(L"Invalid folder name:" + r.s.gsCR + folder + r.s.gsCR);
  return false;
}

std::wstring WithTargetDir(std::wstring properties, const Session& s, const std::wstring& target) {
  if (!properties.empty()) {
    properties.insert(0, L" ");
  }
  if (!target.empty()) {
    properties += L" TARGETDIR=" + s.gsQuote + target + s.gsQuote;
  }
  return properties;
}

// With LOG, Windows Installer writes its own verbose log of the package's run beside the
// setup log.
std::wstring VerboseLogArgument(const Session& s, const std::wstring& fileName) {
  if (s.gsLogFolder.empty()) {
    return {};
  }
  return L" /l*v " + s.gsQuote + s.gsLogFolder + L"\\VTR Setup " + fileName + L".log" + s.gsQuote;
}

// Runs msiexec from the system folder and reports a run that did not start or did not
// succeed. True when the run was started.
bool RunMsiexec(InstallRun& r, const std::wstring& arguments, const std::wstring& packagePath) {
  const std::wstring commandLine = std::wstring(kMsiexec) + L" " + arguments;
  std::optional<uint32_t> exitCode;
  const bool started = SYS_CreateP(r.s, r.p, r.s.gsSystemDir + L"\\" + kMsiexec, commandLine,
                                   r.s.gsSystemDir, 0, exitCode);
  if (!started) {
    r.Fail(L"Unable to start Windows Installer:" + r.s.gsCR + commandLine + r.s.gsCR);
    return false;
  }
  if (!exitCode) {
    // The wait failed: whatever Windows Installer did, it was not seen to succeed.
    r.Fail(L"Windows Installer did not complete the installation:" + r.s.gsCR + packagePath +
           r.s.gsCR);
    return true;
  }
  switch (*exitCode) {
    case 0:
      break;
    case 1641:  // success, a restart was started or is needed
    case 3010:
      r.report.restartNeeded = true;
      break;
    case 1602:
      r.Fail(L"The installation was cancelled:" + r.s.gsCR + packagePath + r.s.gsCR);
      break;
    default:
      r.Fail(L"Windows Installer did not complete the installation (error " +
             std::to_wstring(*exitCode) + L"):" + r.s.gsCR + packagePath + r.s.gsCR);
      break;
  }
  return true;
}

}  // namespace

std::wstring MsiexecExitMeaning(uint32_t code) {
  switch (code) {
    case 0:
      return L"success";
    case 1602:
      return L"cancelled by the user";
    case 1603:
      return L"a fatal error during installation";
    case 1605:
      return L"the product is not installed";
    case 1618:
      return L"another installation is already in progress";
    case 1619:
    case 1620:
      return L"the installation package could not be opened";
    case 1625:
      return L"the installation is forbidden by system policy";
    case 1633:
      return L"the package is not supported on this processor type";
    case 1638:
      return L"another version of this product is already installed";
    case 1639:
      return L"invalid command-line argument";
    case 1641:
      return L"success; Windows Installer has started a restart";
    case 3010:
      return L"success; a restart is needed to complete it";
    default:
      return L"failed; Windows Installer's own log says why";
  }
}

std::wstring ProgramPackageName(bool pro, bool update) {
  return std::wstring(pro ? L"vtr3p" : L"vtr3l") + (update ? L"_update" : L"") + L".msi";
}

std::wstring DatabasePackageName(bool pro, bool update) {
  return std::wstring(pro ? L"vtr3db" : L"vtr3dbl") + (update ? L"_update" : L"") + L".msi";
}

void ChooseSwitches(InstallRun& r) {
  const Session& s = r.s;
  PackageCommand& prog = r.program;
  PackageCommand& db = r.database;
  if (r.bRemove) {
    if (s.gbInstalled) {
      prog.switches = L"/x ";
      prog.properties = L"REMOVE=ALL";
    }
    if (s.gbDBInstalled) {
      db.switches = prog.switches;  // empty when the program is not installed
      db.properties = L"REMOVE=ALL REINSTALLMODE=aums";
    }
  } else if (r.bRepair || s.gbInstalled || s.gbDBInstalled) {
    // An update package is a newer package of the installed product: without "v" Windows
    // Installer reinstalls from its cached old package and nothing is updated.
    if (s.gbInstalled) {
      prog.switches = s.gbUpdate ? L"/fvamus " : L"/famus ";
      if (!r.bRepair) {
        r.bProgramFullUI = true;
      }
      if (r.bProgram && s.gbDebug) {
        r.Do([&] {
          prog.switches =
              AskReinstallSwitch(r, L"Enter params (blank=use default): ", prog.switches);
        });
      }
    }
    if (s.gbDBInstalled) {
      db.switches = s.gbUpdate ? L"/fvamu " : L"/famu ";
      if (!r.bRepair) {
        r.bDatabaseFullUI = true;
      }
      if (r.bDatabase && s.gbDebug) {
        r.Do([&] {
          db.switches =
              AskReinstallSwitch(r, L"Enter DB params (blank=use default): ", db.switches);
        });
      }
    }
  }
  // Whatever is left installs; a database removal carried over from an uninstalled program
  // keeps its remove properties.
  for (PackageCommand* package : {&prog, &db}) {
    if (package->switches.empty()) {
      package->switches = L"/I ";
      if (package->properties.empty()) {
        package->properties = L"ALLUSERS=2";
      }
    }
  }
}

std::wstring ProgramLevel(bool silent, bool remove, bool repair, bool programFullUI) {
  if (silent) {
    return L" /qn";
  }
  if (remove || repair) {
    return L" /qb /norestart";
  }
  return programFullUI ? L" /qf" : L" /qb-";
}

std::wstring DatabaseLevel(bool silent, bool remove, bool repair, bool databaseInstalled,
                           bool databaseFullUI) {
  if (silent) {
    return L" /qn";
  }
  const bool installOrRepairAnew =
      (repair && !databaseInstalled) || (!repair && !remove && databaseInstalled);
  if (installOrRepairAnew) {
    return L" /qf";
  }
  if (!(remove && repair)) {
    return L" /qb";
  }
  return databaseFullUI ? L" /qf" : L" /qb-";
}

bool IsSafeFolderText(const std::wstring& folder) {
  for (wchar_t c : folder) {
    if (c < 32 || c == L'"' || c == L'<' || c == L'>' || c == L'|' || c == L'*' || c == L'?') {
      return false;
    }
  }
  return true;
}

void RunProgramPackage(InstallRun& r) {
  Session& s = r.s;
  if (r.bRemove && !s.gbInstalled) {
    return;  // removing what is not there would install it
  }
  PackageCommand& prog = r.program;
  prog.level = ProgramLevel(s.gbSilent, r.bRemove, r.bRepair, r.bProgramFullUI);
  if (s.gbDebug && !EqualsNoCase(prog.level, L" /qf")) {
    r.Do([&] {
      prog.level = AskLevel(
          r,
          PromptLines(s,
                      {L"Interface level (sUI)", L"/passive   unattended mode progress bar only",
                       L"/q,/qn  no ui", L"/qb+ basic with end dlg",
                       L"/qb- basic less modal at end (does auto restart)",
                       L"/qb  basic (qb - hides cancel button)",
                       L"/qr  reduced (no modal dlg at end)", L"/qf  full UI"},
                      L"Enter params (default=/qb-): "),
          prog.level);
    });
  }
  const std::wstring path = PackagePath(r, prog.fileName);
  const std::wstring target = s.gsAppPath;
  if (!CheckTargetFolder(r, target)) {
    return;
  }
  const std::wstring arguments = prog.switches + s.gsQuote + path + s.gsQuote +
                                 WithTargetDir(prog.properties, s, target) + prog.level +
                                 VerboseLogArgument(s, prog.fileName);
  if (RunMsiexec(r, arguments, path)) {
    r.offerEngine = s.gbWorkstation;
  }
}

void RunDatabasePackage(InstallRun& r) {
  Session& s = r.s;
  if (r.bRemove && !s.gbDBInstalled) {
    return;  // removing what is not there would install it
  }
  PackageCommand& db = r.database;
  db.level = DatabaseLevel(s.gbSilent, r.bRemove, r.bRepair, s.gbDBInstalled, r.bDatabaseFullUI);
  if ((r.bRepair && !s.gbDBInstalled) || (!r.bRepair && !r.bRemove && s.gbDBInstalled)) {
    db.properties = L"ALLUSERS=2";
  }
  if (s.gbDebug && !EqualsNoCase(db.level, L" /qf")) {
    r.Do([&] {
      db.level =
          AskLevel(r,
                   PromptLines(s,
                               {L"Interface level (sUI)", L"q,qn  no ui",
                                L"qb- basic less modal at end", L"qb  basic (qb! hides cancel but)",
                                L"qr  reduced (no modal dlg at end)", L"qf  full"},
                               L"Enter params (default=/qb-): "),
                   db.level);
    });
  }
  const std::wstring path = PackagePath(r, db.fileName);

  const std::wstring separator = Contains(s.gsDBPath, L"/") ? L"/" : L"\\";
  if (!s.gsDBPath.empty() && s.gsDBPath.back() == separator.front()) {
    s.gsDBPath.pop_back();
  }
  std::wstring target =
      EndsWithNoCase(s.gsDBPath, L"MainDB") ? SYS_ParentFolder(s.gsDBPath, s.gsDBPath) : s.gsDBPath;
  if (!CheckTargetFolder(r, target)) {
    return;
  }
  if (!r.bRemove && !s.gbUpdate) {
    r.Do([&] {
      r.p.SaveSetting(s.gsEditionID, kSection, L"DBPath",
                      target + separator + L"MainDB" + separator);
    });
  }
  if (r.oldData) {
    MigrateTemplates(r, target, separator);
  }
  if (EndsWithNoCase(target, L"Vantora Data")) {
    target = SYS_ParentFolder(target, s.gsDBPath);
  }
  const std::wstring arguments = db.switches + s.gsQuote + path + s.gsQuote +
                                 WithTargetDir(db.properties, s, target) + db.level +
                                 VerboseLogArgument(s, db.fileName);
  if (s.gbDebug) {
    r.Do([&] {
      r.p.MsgBox(L"Command: " + std::wstring(kMsiexec) + L" " + arguments + L", " + s.gsSystemDir,
                 MsgButtons::Ok, MsgIcon::None, std::nullopt);
    });
  }
  RunMsiexec(r, arguments, path);
}

}  // namespace vtr
