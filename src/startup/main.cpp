#include "startup/main.h"

#include <exception>
#include <new>

#include "detect/folders.h"
#include "detect/install_paths.h"
#include "detect/installed.h"
#include "detect/windows_version.h"
#include "engine/install.h"
#include "startup/command_line.h"
#include "startup/edition.h"
#include "startup/setup_platform.h"
#include "util/text.h"
#include "wizard/fm_main.h"

namespace vtr {

namespace {

// What start-up found, for the setup log.
void LogDetection(const Session& s, SetupLog& log, const std::wstring& windowsName,
                  int32_t platformId, int32_t major, int32_t minor, int32_t build) {
  log.Write(L"windows: " + windowsName + L" (platform " + std::to_wstring(platformId) +
            L", version " + std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." +
            std::to_wstring(build) + L")");
  log.Write(L"installed: program " + FlagWord(s.gbInstalled) + L", database " +
            FlagWord(s.gbDBInstalled));
  log.Write(L"folders: program files \"" + s.gsProgramFiles + L"\", system \"" + s.gsSystemDir +
            L"\", program \"" + s.gsAppPath + L"\", database \"" + s.gsDBPath + L"\"");
}

// An exception's own text, as far as it is plain ASCII.
std::wstring AsciiText(const char* text) {
  std::wstring wide;
  for (; text != nullptr && *text != '\0'; ++text) {
    const auto c = static_cast<unsigned char>(*text);
    wide += c >= 32 && c < 127 ? static_cast<wchar_t>(c) : L'?';
  }
  return wide;
}

int Start(Session& s, SetupPlatform& p, const std::wstring& editionId) {
  // Start-up reports a failing statement to the user and carries on with the next one, so a
  // failing detection leaves its fields empty or false and the wizard still opens.
  // A silent run that showed such a box does not tell its deployment tool that all went well.
  bool startFailed = false;
  const auto report = [&](const RunError& e) {
    startFailed = true;
    p.MsgBox(L"errHdl_Main: " + DescribeError(e.description, e.number), MsgButtons::Ok,
             MsgIcon::None, std::nullopt);
  };

  // Run mode: the developer's copy asks; a copy named "Update..." is the updater.
  Attempt(
      [&] {
        const std::wstring ownName = p.OwnFileName();
        if (EqualsNoCase(ownName, L"VTR Setup")) {
          s.gbUpdate = p.MsgBox(L"Run as Full Install (no = run as update)?", MsgButtons::YesNo,
                                MsgIcon::None, std::nullopt) == MsgAnswer::No;
        } else {
          s.gbUpdate = LeftEqualsNoCase(ownName, 6, L"Update");
        }
      },
      report);

  ApplyEdition(s, editionId);
  SetCharacterConstants(s);

  CommandFlags flags;
  bool keepGoing = true;
  Attempt([&] { keepGoing = ReadCommandLine(s, p, flags); }, report);
  p.CommandLineRead();
  if (!keepGoing || flags.bInvalidWord) {
    return kExitUsage;
  }

  Attempt([&] { SYS_IsInstalled(s, p); }, report);

  int32_t platformId = 0, major = 0, minor = 0, build = 0;
  std::wstring servicePack, versionText, windowsName;
  Attempt(
      [&] {
        windowsName =
            SYS_GetWindowsVersion(p, platformId, major, minor, build, servicePack, versionText);
      },
      report);

  SetDefaultFolders(s, p, major, report);

  Attempt([&] { s.gsAppPath = SYS_GetInstallPath(s, p); }, report);
  Attempt([&] { s.gsDBPath = SYS_GetDBInstallPath(s, p); }, report);

  LogDetection(s, p.Log(), windowsName, platformId, major, minor, build);

  if (s.gbDebug) {
    Attempt([&] { ShowDebugFolders(s, p); }, report);
  }

  if (s.gbSilent) {
    // A silent run always includes the program package; DB and OL add to it.
    flags.bProgram = true;
    bool programFullUI = false;
    bool databaseFullUI = false;
    bool succeeded = false;
    InstallReport outcome;
    Attempt(
        [&] {
          succeeded =
              SYS_Install(s, p, flags.bProgram, flags.bDatabase, flags.bOutlook, flags.bRepair,
                          flags.bRemove, programFullUI, databaseFullUI, outcome);
        },
        report);
    const int code = ExitCodeFor(succeeded, outcome);
    // Also when the packages only ask for a restart: that is success too, and a tool that
    // reads it would restart the machine believing all went well.
    const bool success = code == kExitSuccess || code == kExitRestartNeeded;
    return startFailed && success ? kExitInstallFailed : code;
  }

  // The wizard lives until its form is unloaded; its exit code tells how its road ended.
  int code = kExitCancelled;
  Attempt(
      [&] {
        code = ShowWizard(s, p, p.WizardView(),
                          [&](fmMain& form) { p.RunEventLoop([&] { return form.IsUnloaded(); }); });
      },
      report);
  return code;
}

}  // namespace

int Main(Session& s, Platform& p, const std::wstring& editionId) {
  SetupPlatform setup(s, p);
  // Whatever escapes the run ends it as a failure, with one line that says what, and never as
  // an abort whose exit code no deployment tool knows: an error that a handler's own box or a
  // note on standard error raised, memory running out, a fault of the program itself.
  int code = kExitInstallFailed;
  const auto escaped = [&](const std::wstring& beginning, const std::wstring& what) {
    const std::wstring line = beginning + what + L". The run failed.";
    try {
      setup.WriteStandardError(L"VTR Setup: " + line);
    } catch (...) {
      // standard error cannot be written: the log may still say it
    }
    try {
      setup.Log().Write(line);
    } catch (...) {
      // the exit code says it all the same
    }
  };
  try {
    try {
      code = Start(s, setup, editionId);
    } catch (const RunError& e) {
      escaped(L"the run stopped on an error: ", DescribeError(e.description, e.number));
    } catch (const std::bad_alloc&) {
      escaped(kUnexpectedErrorLine, DescribeError(L"Out of memory", 7));
    } catch (const std::exception& e) {
      escaped(kUnexpectedErrorLine, AsciiText(e.what()));
    } catch (...) {
      escaped(kUnexpectedErrorLine, L"an exception of unknown kind");
    }
  } catch (...) {
    // not even that line could be made
  }
  try {
    setup.Log().Finish(code);
  } catch (...) {
    // the log is given up; the exit code stands
  }
  return code;
}

}  // namespace vtr
