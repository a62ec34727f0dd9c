// Main: one copy at a time, the command line, detection, then the engine or the wizard.
#include "startup/main.h"

#include <exception>
#include <new>
#include <optional>

#include "detect/detected.h"
#include "engine/install.h"
#include "engine/outcome.h"
#include "engine/waiting.h"
#include "startup/command_line.h"
#include "startup/edition.h"
#include "startup/setup_platform.h"
#include "util/text.h"
#include "wizard/fm_main.h"

namespace vtr {

namespace {

// What start-up found, for the setup log.
void LogDetection(const Detected& d, SetupLog& log) {
  const WindowsVersion& v = d.windows;
  log.Write(L"windows: " + v.name + L" (platform " + std::to_wstring(v.platformId) + L", version " +
            std::to_wstring(v.major) + L"." + std::to_wstring(v.minor) + L"." +
            std::to_wstring(v.build) + L")");
  log.Write(L"installed: program " + FlagWord(d.installed.gbInstalled) + L", database " +
            FlagWord(d.installed.gbDBInstalled));
  const Folders& f = d.folders;
  log.Write(L"folders: program files \"" + f.gsProgramFiles + L"\", system \"" + f.gsSystemDir +
            L"\", program \"" + f.gsAppPath + L"\", database \"" + f.gsDBPath + L"\"");
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

// One copy of setup at a time: claims the product's mutex for the rest of the run. When
// another copy holds it, a silent run waits for it to end, for a while; the wizard says so at
// once. Returns the exit code the run ends with when it may not go on.
std::optional<int> ClaimOnlyCopy(SetupPlatform& p, const RunOptions& o,
                                 std::unique_ptr<HeldMutex>& held) {
  const std::wstring running = L"Vantora Contact Management setup is already running.";
  std::optional<RunError> cannotTell;
  const auto otherCopyRuns = [&] {
    bool other = false;
    Attempt(
        [&] {
          held = p.ClaimNamedMutex(kSetupMutex);
          other = held == nullptr;
        },
        [&](const RunError& e) {
          cannotTell = e;  // the run goes on as it would have without the check
          return OnError::Stop;
        });
    return other;
  };
  const auto noteCannotTell = [&] {
    if (cannotTell) {
      const std::wstring line = L"whether another copy of setup runs cannot be told: " +
                                DescribeError(cannotTell->description, cannotTell->number) +
                                L". The run goes on.";
      p.WriteStandardError(L"VTR Setup: " + line);
      p.Log().Write(line);
    }
  };
  if (!o.gbSilent) {
    if (otherCopyRuns()) {
      p.MsgBox(running, MsgButtons::Ok, MsgIcon::Exclamation, std::nullopt);
      return kExitInstallerBusy;
    }
    noteCannotTell();
    return std::nullopt;
  }
  const std::wstring limit = WaitLimitText(o.waitLimitMs);
  if (WaitWhileBusy(p, o.waitLimitMs, otherCopyRuns,
                    running + L" This run waits up to " + limit + L" for it to end.")) {
    noteCannotTell();
    return std::nullopt;
  }
  const std::wstring line = L"the other copy of setup was still running after " + limit +
                            L". This run did nothing; run it again once the other has ended.";
  p.WriteStandardError(L"VTR Setup: " + line);
  p.Log().Write(line);
  return kExitInstallerBusy;
}

int Start(Edition& edition, RunOptions& options, SetupPlatform& p, const std::wstring& editionId,
          std::unique_ptr<HeldMutex>& onlyCopy) {
  // Start-up reports a failing statement to the user and carries on with the next one, so a
  // failing detection leaves its fields empty or false and the wizard still opens.
  // A silent run that showed such a box does not tell its deployment tool that all went well.
  bool startFailed = false;
  const auto report = [&](const RunError& e) {
    startFailed = true;
    p.MsgBox(L"errHdl_Main: " + DescribeError(e.description, e.number), MsgButtons::Ok,
             MsgIcon::None, std::nullopt);
    return OnError::Resume;
  };

  // Run mode: the developer's copy asks; a copy named "Update..." is the updater.
  bool update = false;
  Attempt(
      [&] {
        const std::wstring ownName = p.OwnFileName();
        if (EqualsNoCase(ownName, L"VTR Setup")) {
          update = p.MsgBox(L"Run as Full Install (no = run as update)?", MsgButtons::YesNo,
                            MsgIcon::None, std::nullopt) == MsgAnswer::No;
        } else {
          update = LeftEqualsNoCase(ownName, 6, L"Update");
        }
      },
      report);
  edition = EditionFor(editionId, update);

  CommandFlags flags;
  bool keepGoing = true;
  Attempt([&] { keepGoing = ReadCommandLine(p, options, flags); }, report);
  p.CommandLineRead();
  if (!keepGoing || flags.bInvalidWord) {
    return kExitUsage;
  }
  // PLAN carries out nothing, so it neither waits nor keeps another copy waiting.
  if (!options.gbPlan) {
    if (const std::optional<int> code = ClaimOnlyCopy(p, options, onlyCopy)) {
      return *code;
    }
  }

  const Detected detected = DetectMachine(p, edition, options.gbDebug, report);
  LogDetection(detected, p.Log());
  if (options.gbDebug) {
    Attempt([&] { ShowDebugFolders(detected.folders, p); }, report);
  }

  // A silent run whose start-up failed changes nothing: what it found may be wrong, and it
  // would end failed with the packages installed and the settings recorded.
  if (options.gbSilent && startFailed && !options.gbDebug) {
    p.WriteLog(L"start-up failed (the box above says why): the run changes nothing");
    return kExitInstallFailed;
  }
  if (options.gbSilent) {
    // A silent run always includes the program package; DB and OL add to it.
    const Request request = RequestFor({.bProgram = true,
                                        .bDatabase = flags.bDatabase,
                                        .bOutlook = flags.bOutlook,
                                        .bRepair = flags.bRepair,
                                        .bRemove = flags.bRemove},
                                       detected.folders);
    int code = kExitInstallFailed;  // unless the engine comes back
    // The engine starts right after detection asked Windows Installer for each product's state:
    // it does not ask again.
    Attempt(
        [&] {
          code = ExitCodeFor(SYS_Install(p, edition, options, detected.folders.gsSystemDir, request,
                                         KnownStates{detected.installed, false}));
        },
        report);
    // Also when the packages only ask for a restart: that is success too, and a tool that
    // reads it would restart the machine believing all went well.
    const bool success = code == kExitSuccess || code == kExitRestartNeeded;
    return startFailed && success ? kExitInstallFailed : code;
  }

  // The wizard lives until its form is unloaded; its exit code tells how its road ended.
  int code = kExitCancelled;
  Attempt(
      [&] {
        code = ShowWizard(p, edition, options, detected, p.WizardView(),
                          [&](fmMain& form) { p.RunEventLoop([&] { return form.IsUnloaded(); }); });
      },
      report);
  return code;
}

}  // namespace

int Main(Platform& p, const std::wstring& editionId, int32_t waitLimitMs) {
  Edition edition;
  RunOptions options;
  options.waitLimitMs = waitLimitMs;
  SetupPlatform setup(edition, options, p);
  // One copy of setup at a time: held until the run's last log line is written.
  std::unique_ptr<HeldMutex> onlyCopy;
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
      code = Start(edition, options, setup, editionId, onlyCopy);
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
