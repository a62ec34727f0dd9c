// The plan in words: what PLAN prints and what the setup log keeps of a run.
#include "detect/install_paths.h"
#include "engine/every_user.h"
#include "engine/msi_command.h"
#include "engine/outcome.h"
#include "engine/plan.h"
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

std::wstring ShellCall(const Plan& plan, const Step& step) {
  return L"shell open " + Quoted(step.program) + L" with parameters " + Quoted(step.parameters) +
         L" in " + Quoted(plan.systemDir);
}

// A system program started as a process in the system folder, and waited for.
std::wstring ProcessCall(const Plan& plan, const Step& step) {
  return L"process " + Quoted(step.program) + L": " + Quoted(step.program) + L" " +
         step.parameters + L" in " + Quoted(plan.systemDir) + L", waited for";
}

std::wstring SettingName(const Plan& plan, const std::wstring& key) {
  return L"HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\" + plan.editionId + L"\\" +
         kSection + L" " + Quoted(key);
}

std::wstring MachineSettingName(const Plan& plan, const std::wstring& key) {
  return L"HKEY_LOCAL_MACHINE\\" + SettingsKey(plan.editionId) + L" " + Quoted(key);
}

// A setting's value, or the two it may get.
std::wstring SettingValue(const Step& step) {
  if (step.value == step.valueIfRegistered) {
    return Quoted(step.value);
  }
  return (step.value.empty() ? L"nothing" : Quoted(step.value)) + L", or " +
         Quoted(step.valueIfRegistered) + L" when the e-mail interface was registered";
}

std::wstring RegistryValueText(const RegistryValue& value) {
  if (const auto* text = std::get_if<std::wstring>(&value)) {
    return Quoted(*text);
  }
  return std::to_wstring(std::get<uint32_t>(value));
}

}  // namespace

std::wstring DescribeStep(const Plan& plan, const Step& step) {
  const std::wstring& package = plan.Package(step.package).fileName;
  switch (step.kind) {
    case StepKind::Refuse:
      return L"refuse, with the box: " + OneLine(step.text);
    case StepKind::CheckPackages: {
      std::wstring line = L"check the package files, held against change until their runs end:";
      for (const PackageCheck& c : plan.packageChecks) {
        line += L" " + plan.Package(c.package).fileName + (c.passed ? L" passed (" : L" FAILED (") +
                c.detail + L");";
      }
      line.back() = L'.';
      if (!step.text.empty()) {
        line += L" End the run, failed, with the box: " + OneLine(step.text);
      }
      return line;
    }
    case StepKind::StopUpdater:
      return L"stop the updater service: " + ShellCall(plan, step);
    case StepKind::Unregister:
      return L"unregister " + step.what + L" (when the file is there): " + ProcessCall(plan, step);
    case StepKind::AskSwitches:
      return L"ask (debug) the reinstall switches of " + package + L", offering " +
             Quoted(plan.Package(step.package).switches);
    case StepKind::AskLevel:
      return L"ask (debug) the interface level of " + package + L", offering " +
             Quoted(plan.Package(step.package).level);
    case StepKind::MissingPackage:
      return L"end the run, failed, with the box: " + OneLine(step.text);
    case StepKind::InvalidFolder:
      return L"end the run, failed, with the box: " + OneLine(step.text);
    case StepKind::SaveSetting:
      return L"record " + SettingName(plan, step.what) + L" = " + Quoted(step.value);
    case StepKind::MoveTemplates:
      return L"move the templates, labels, reports and envelopes of a 3.0 database aside "
             L"(prefix \"rev30_\") below " +
             Quoted(step.what);
    case StepKind::ShowCommand:
      return L"show (debug) the command line of " + package;
    case StepKind::RunPackage: {
      const std::wstring msiexec = plan.systemDir + L"\\msiexec.exe";
      const PackageRun& run = plan.Package(step.package);
      const std::wstring what = run.byProductCode ? L"the installed product of " + package +
                                                        L", by its product code (" +
                                                        run.byProductCodeReason + L")"
                                                  : package;
      return L"run Windows Installer on " + what + L": process " + Quoted(msiexec) +
             L": msiexec.exe " + MsiexecArguments(plan.Package(step.package)) + L" in " +
             Quoted(plan.systemDir);
    }
    case StepKind::StartUpdater:
      return L"install the updater service again: " + ShellCall(plan, step);
    case StepKind::Register:
      return L"register " + step.what + L": " + ProcessCall(plan, step);
    case StepKind::SaveEmailForm:
      return L"record " + SettingName(plan, step.what) + L" = " + SettingValue(step);
    case StepKind::SaveMachineSetting:
      return L"keep the machine-wide copy for every user: record " +
             MachineSettingName(plan, step.what) + L" = " + SettingValue(step);
    case StepKind::RegisterEveryUser: {
      const std::wstring key = L"\\" + ActiveSetupKey(step.what);
      return L"register the Active Setup component that copies the settings into each user's "
             L"own store at their next logon: HKEY_LOCAL_MACHINE" +
             key + L" = " + Quoted(step.text) + L", \"StubPath\" = " + Quoted(StubPath(step)) +
             L", \"IsInstalled\" = 1, \"Version\" raised to the time of the run when the "
             L"machine-wide copy changed; and mark it run for this account: HKEY_CURRENT_USER" +
             key + L" \"Version\"";
    }
    case StepKind::RemoveEveryUser:
      return L"remove the settings for every user (each user's own settings stay): "
             L"HKEY_LOCAL_MACHINE\\" +
             ActiveSetupKey(step.what) + L" and HKEY_LOCAL_MACHINE\\" +
             EditionSettingsKey(plan.editionId);
    case StepKind::PutBackRegistryValue: {
      const std::wstring name =
          HiveName(step.hive) + L"\\" + step.what + L" " + Quoted(step.valueName);
      if (step.registryValue) {
        return L"put back " + name + L" = " + RegistryValueText(*step.registryValue);
      }
      return L"remove " + name + L", which was not there before";
    }
    case StepKind::RemoveRegistryKey:
      return L"remove " + HiveName(step.hive) + L"\\" + step.what + L", which was not there before";
    case StepKind::OfferEngine:
      return std::wstring(L"offer to ") + (plan.remove ? L"remove" : L"install") +
             L" the Microsoft ACE 2010 Database Engine (32-bit) with a Yes/No box" +
             (plan.silent ? L" => an unattended run answers No" : L"") +
             L" (only when the program package's run was started)";
    case StepKind::RemoveProduct:
      return L"remove " + package + L", which this run installed: process " +
             Quoted(plan.systemDir + L"\\msiexec.exe") + L": msiexec.exe " +
             RollbackArguments(plan.Package(step.package)) + L" in " + Quoted(plan.systemDir);
    case StepKind::KeepProduct:
      return L"leave the product of " + package +
             L" as Windows Installer left it (this run updated, repaired or removed it)";
    case StepKind::RestoreFile:
      return L"move " + Quoted(step.what) + L" back to " + Quoted(step.value);
    case StepKind::RemoveSetting:
      return L"remove " + SettingName(plan, step.what) + L", which was not there before";
  }
  return {};
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
  if (!plan.everyUserNote.empty()) {
    lines.push_back(plan.everyUserNote);
  }
  for (std::size_t i = 0; i < plan.steps.size(); ++i) {
    lines.push_back(L"step " + std::to_wstring(i + 1) + L": " + DescribeStep(plan, plan.steps[i]));
  }
  if (plan.steps.empty()) {
    lines.push_back(L"no step: there is nothing to do");
  }
  const std::size_t refusing = plan.RefusingStep();
  if (refusing < plan.steps.size()) {
    lines.push_back(L"exit code: " + std::to_wstring(kExitInstallFailed) +
                    L" (the run would fail at step " + std::to_wstring(refusing + 1) + L": " +
                    OneLine(plan.steps[refusing].text) + L")");
    return lines;
  }
  lines.push_back(L"exit code: " + std::to_wstring(kExitSuccess) + L" (when every step succeeds)");
  return lines;
}

}  // namespace vtr
