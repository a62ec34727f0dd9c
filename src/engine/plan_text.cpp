// The plan in words: what PLAN prints and what the setup log keeps of a run.
#include "detect/install_paths.h"
#include "detect/run_cache.h"
#include "engine/entries.h"
#include "engine/every_user.h"
#include "engine/msi_command.h"
#include "engine/outcome.h"
#include "engine/plan.h"
#include "engine/run_programs.h"
#include "engine/waiting.h"
#include "util/text.h"

namespace vtr {
namespace {

std::wstring Quoted(const std::wstring& text) {
  return L"\"" + text + L"\"";
}

}  // namespace

std::wstring StateWord(ProductKnown known) {
  switch (known) {
    case ProductKnown::Installed:
      return L"installed";
    case ProductKnown::NotInstalled:
      return L"not installed";
    case ProductKnown::Unknown:
      break;
  }
  return L"unknown (Windows Installer could not be asked)";
}

namespace {

// A program started as a process by its full path in a folder, and waited for.
std::wstring ProcessCall(const std::wstring& program, const std::wstring& parameters,
                         const std::wstring& folder) {
  return L"process " + Quoted(program) + L": " + Quoted(program) +
         (parameters.empty() ? L"" : L" " + parameters) + L" in " + Quoted(folder) +
         L", waited for";
}

std::wstring ProcessCall(const Plan& plan, const Registration& step) {
  return ProcessCall(step.program, step.parameters, plan.systemDir);
}

std::wstring EngineCall(const Plan& plan, const std::wstring& parameters) {
  return ProcessCall(plan.aceInstallerPath, parameters, FolderOfProgram(plan.aceInstallerPath)) +
         L"; exit code 0 or 3010 (a restart completes it) succeeds, any other fails the run";
}

std::wstring Describe(const Plan& plan, const Registration& step) {
  if (step.unregister) {
    return L"unregister " + step.component + L" (when the file is there): " +
           ProcessCall(plan, step);
  }
  return L"register " + step.component + L": " + ProcessCall(plan, step);
}

std::wstring Describe(const Plan& plan, const StartUpdater& step) {
  return L"install the updater service again: " +
         ProcessCall(step.program, step.parameters, plan.systemDir);
}

std::wstring SettingName(const Plan& plan, const std::wstring& key) {
  return L"HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\" + plan.editionId + L"\\" +
         kSection + L" " + Quoted(key);
}

std::wstring MachineSettingName(const Plan& plan, const std::wstring& key) {
  return L"HKEY_LOCAL_MACHINE\\" + SettingsKey(plan.editionId) + L" " + Quoted(key);
}

// A setting's value, or the two it may get.
std::wstring SettingValue(const std::wstring& value, const std::wstring& valueIfRegistered) {
  if (value == valueIfRegistered) {
    return Quoted(value);
  }
  return (value.empty() ? L"nothing" : Quoted(value)) + L", or " + Quoted(valueIfRegistered) +
         L" when the e-mail interface was registered";
}

// The copies in the cache and how each one's check went.
std::wstring DescribeCopies(const Plan& plan) {
  std::wstring line = L"copy into the protected cache " + Quoted(plan.cacheFolder) +
                      L" (only administrators and the system account may change it) and check "
                      L"each copy there, held against change until the run ends:";
  for (const CachedFile& c : plan.cached) {
    line += L" " + c.name +
            (c.inPlace ? std::wstring(L" (in the cache already: held there)")
                       : L" from " + Quoted(c.source)) +
            L", " + SizeText(c.size);
    bool checked = false;
    for (const PackageCheck& check : plan.packageChecks) {
      if (EqualsNoCase(check.fileName, c.name)) {
        line += (check.passed ? L", passed (" : L", FAILED (") + check.detail + L")";
        checked = true;
      }
    }
    if (!checked && c.kind == CachedFile::Kind::Engine) {
      line += L", not checked (this build of setup recorded no SHA-256 for it)";
    }
    line += L";";
  }
  line.back() = L'.';
  return line;
}

std::wstring RegistryValueText(const RegistryValue& value) {
  if (const auto* text = std::get_if<std::wstring>(&value)) {
    return Quoted(*text);
  }
  return std::to_wstring(std::get<uint32_t>(value));
}

}  // namespace

std::wstring DescribeStep(const Plan& plan, const Step& step) {
  const auto package = [&](PackageId id) { return plan.Package(id).fileName; };
  return std::visit(
      Overloaded{
          [&](const CachedCopies&) { return DescribeCopies(plan); },
          [&](const StopUpdater& s) {
            return L"stop the updater service: " +
                   ProcessCall(s.program, s.parameters, plan.systemDir) +
                   L"; the run goes on when it fails (skipped when the program is not there)";
          },
          [&](const StartUpdater& s) {
            return Describe(plan, s) +
                   L"; an exit code other than 0 fails the run (skipped when the program is not "
                   L"there)";
          },
          [&](const Registration& s) { return Describe(plan, s); },
          [&](const AskSwitches& s) {
            return L"ask (debug) the reinstall switches of " + package(s.package) + L", offering " +
                   Quoted(plan.Package(s.package).switches);
          },
          [&](const AskLevel& s) {
            return L"ask (debug) the interface level of " + package(s.package) + L", offering " +
                   Quoted(plan.Package(s.package).level);
          },
          [&](const SaveSetting& s) {
            return L"record " + SettingName(plan, s.key) + L" = " + Quoted(s.value);
          },
          [&](const SaveEmailForm& s) {
            return L"record " + SettingName(plan, L"EmailForm") + L" = " +
                   SettingValue(s.value, s.valueIfRegistered);
          },
          [&](const MoveTemplates& s) {
            return L"move the templates, labels, reports and envelopes of a 3.0 database aside "
                   L"(prefix \"rev30_\") below " +
                   Quoted(s.folder);
          },
          [&](const ShowCommand& s) {
            return L"show (debug) the command line of " + package(s.package);
          },
          [&](const RunPackage& s) {
            const PackageRun& run = plan.Package(s.package);
            const std::wstring what =
                run.byProductCode ? L"the installed product of " + run.fileName +
                                        L", by its product code (" + run.byProductCodeReason + L")"
                                  : run.fileName;
            return L"run Windows Installer on " + what + L": process " +
                   Quoted(plan.systemDir + L"\\msiexec.exe") + L": msiexec.exe " +
                   MsiexecArguments(run) + L" in " + Quoted(plan.systemDir);
          },
          [&](const SaveMachineSetting& s) {
            return L"keep the machine-wide copy for every user: record " +
                   MachineSettingName(plan, s.key) + L" = " +
                   SettingValue(s.value, s.valueIfRegistered);
          },
          [&](const RegisterEveryUser& s) {
            const std::wstring key = L"\\" + ActiveSetupKey(s.component);
            return L"register the Active Setup component that copies the settings into each "
                   L"user's own store at their next logon: HKEY_LOCAL_MACHINE" +
                   key + L" = " + Quoted(s.name) + L", \"StubPath\" = " + Quoted(StubPath(s)) +
                   L", \"IsInstalled\" = 1, \"Version\" raised to the time of the run when the "
                   L"machine-wide copy changed; and mark it run for this account: "
                   L"HKEY_CURRENT_USER" +
                   key + L" \"Version\"";
          },
          [&](const RemoveEveryUser& s) {
            return L"remove the settings for every user (each user's own settings stay): "
                   L"HKEY_LOCAL_MACHINE\\" +
                   ActiveSetupKey(s.component) + L" and HKEY_LOCAL_MACHINE\\" +
                   EditionSettingsKey(plan.editionId);
          },
          [&](const OfferEngine&) {
            return std::wstring(L"offer to ") + (plan.remove ? L"remove" : L"install") +
                   L" the Microsoft ACE 2010 Database Engine (32-bit) with a Yes/No box" +
                   (plan.silent ? L" => an unattended run answers No" : L"") +
                   L" (only when the program package's run was started); Yes: " +
                   EngineCall(plan, L"");
          },
          [&](const InstallDatabaseEngine&) {
            return L"install the Microsoft ACE 2010 Database Engine (32-bit) quietly (only when "
                   L"the program package's run was started): " +
                   EngineCall(plan, kEngineQuietSwitch);
          },
          [&](const ForgetCachedFile& s) {
            return L"delete " + Quoted(s.path) + L" from the setup cache: " + s.why;
          },
          [&](const ProgramClosed& s) {
            return L"make sure Vantora Contact Management is not running (a process whose "
                   L"program is " +
                   Quoted(s.program) +
                   (plan.silent ? L"): while it is, wait for it to end, looking every " +
                                      std::to_wstring(kBusyPollMs / 1000) +
                                      L" seconds for up "
                                      L"to " +
                                      WaitLimitText(plan.waitLimitMs) +
                                      L"; still running then, end the run with " +
                                      std::to_wstring(kExitProductRunning) + L", changing nothing"
                                : L"): while it is, ask with a Retry/Cancel box to close it; "
                                  L"Cancel ends the run with " +
                                      std::to_wstring(kExitCancelled) + L", changing nothing") +
                   L". Setup never closes it itself";
          },
          [&](const RemoveCache& s) {
            return L"remove the setup cache " + Quoted(s.folder) +
                   L" with everything in it, and the folders above it that are left empty" +
                   (s.runningCopy.empty()
                        ? std::wstring()
                        : L"; this setup runs from it, so it first moves itself to " +
                              Quoted(s.aside) + L", deleted when Windows next starts");
          },
          [&](const EntryStep auto& s) { return DescribeEntryStep(s); },
      },
      step.action);
}

std::wstring DescribeUndo(const Plan& plan, const Undo& undo) {
  return std::visit(
      Overloaded{
          [&](const NothingToTakeBack&) {
            return std::wstring(L"nothing to take back: it changes nothing");
          },
          [&](const CannotTakeBack& u) { return L"it is not taken back: " + u.why; },
          [&](const RemoveProduct& u) {
            return L"remove " + plan.Package(u.package).fileName +
                   L", which this run installed: process " +
                   Quoted(plan.systemDir + L"\\msiexec.exe") + L": msiexec.exe " +
                   RollbackArguments(plan.Package(u.package)) + L" in " + Quoted(plan.systemDir);
          },
          [&](const KeepProduct& u) {
            return L"leave the product of " + plan.Package(u.package).fileName +
                   L" as Windows Installer left it (this run updated, repaired or removed it)";
          },
          [&](const StartUpdater& u) { return Describe(plan, u); },
          [&](const Registration& u) { return Describe(plan, u); },
          [&](const PutBackSetting& u) {
            if (!u.known) {
              return L"put back " + SettingName(plan, u.key) +
                     L" as it was just before the run records it, or remove it when it was not "
                     L"there";
            }
            if (u.old) {
              return L"record " + SettingName(plan, u.key) + L" = " + Quoted(*u.old);
            }
            return L"remove " + SettingName(plan, u.key) + L", which was not there before";
          },
          [&](const MoveTemplatesBack& u) {
            return L"move each file the run moved aside below " + Quoted(u.folder) +
                   L" back to its own name";
          },
          [&](const MoveBack& u) {
            return L"move " + Quoted(u.what) + L" back to " + Quoted(u.to);
          },
          [&](const PutBackRegistryValue& u) {
            const std::wstring name = HiveName(u.hive) + L"\\" + u.key + L" " + Quoted(u.name);
            if (!u.known) {
              return L"put back " + name +
                     L" as it was just before the run writes it, or remove it when it was not "
                     L"there";
            }
            if (u.old) {
              return L"put back " + name + L" = " + RegistryValueText(*u.old);
            }
            return L"remove " + name + L", which was not there before";
          },
          [&](const RemoveRegistryKey& u) {
            return L"remove " + HiveName(u.hive) + L"\\" + u.key + L", which was not there before";
          },
          [&](const TakeBackEveryUser& u) {
            return L"remove HKEY_LOCAL_MACHINE\\" + ActiveSetupKey(u.component) +
                   L" when the run made it, else put back each of its values the run changed, "
                   L"and this account's mark HKEY_CURRENT_USER\\" +
                   ActiveSetupKey(u.component) + L" \"Version\"";
          },
          [&](const TakeBackEntry& u) { return DescribeEntryUndo(u); },
      },
      undo);
}

std::wstring DescribeRefusal(const Plan& plan, const Refusal& refusal) {
  switch (refusal.why) {
    case Refusal::Why::CannotAsk:
      return L"refuse, with the box: " + OneLine(refusal.box);
    case Refusal::Why::MissingPackage:
    case Refusal::Why::InvalidFolder:
    case Refusal::Why::CacheFailed:
      break;
    case Refusal::Why::DamagedPackage: {
      std::wstring line = DescribeCopies(plan);
      return line + L" End the run, failed, with the box: " + OneLine(refusal.box);
    }
  }
  return L"end the run, failed, with the box: " + OneLine(refusal.box);
}

std::vector<std::wstring> DescribePlan(const Plan& plan, const Request& r, const EngineFacts& f) {
  std::vector<std::wstring> lines;
  lines.push_back(L"VTR Setup plan: what this run would do; nothing is carried out");
  lines.push_back(L"detected: program " + StateWord(f.installed.program) + L", database " +
                  StateWord(f.installed.database) +
                  (r.bRemove && r.bDatabase
                       ? L", the other copy's database " + StateWord(f.installed.otherDatabase)
                       : L""));
  lines.push_back(L"windows: " + f.windowsName + L" (major version " +
                  std::to_wstring(f.windowsMajor) + L")");
  lines.push_back(L"folders: system " + Quoted(f.gsSystemDir) + L", packages " +
                  Quoted(f.sourceFolder) + L", program " + Quoted(r.gsAppPath) + L", database " +
                  Quoted(r.gsDBPath));
  for (const std::wstring* note : {&plan.everyUserNote, &plan.engineNote, &plan.entriesNote}) {
    if (!note->empty()) {
      lines.push_back(*note);
    }
  }
  if (plan.refusal) {
    // What stops the run is shown where its first step would be.
    const std::wstring& box = plan.refusal->box;
    lines.push_back(L"step 1: " + DescribeRefusal(plan, *plan.refusal));
    lines.push_back(L"exit code: " + std::to_wstring(kExitInstallFailed) +
                    L" (the run would fail at step 1: " + OneLine(box) + L")");
    return lines;
  }
  for (std::size_t i = 0; i < plan.steps.size(); ++i) {
    lines.push_back(L"step " + std::to_wstring(i + 1) + L": " + DescribeStep(plan, plan.steps[i]));
    lines.push_back(L"  if the run fails after this: " +
                    DescribeUndo(plan, plan.steps[i].rollback));
  }
  if (plan.steps.empty()) {
    lines.push_back(L"no step: there is nothing to do");
  }
  lines.push_back(L"exit code: " + std::to_wstring(kExitSuccess) + L" (when every step succeeds)");
  return lines;
}

}  // namespace vtr
