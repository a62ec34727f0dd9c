// The pieces of msiexec command lines, and what an exit code means in words.
#include "engine/msi_command.h"

#include "util/paths.h"
#include "util/text.h"

namespace vtr {
namespace {

std::wstring PromptLines(std::initializer_list<const wchar_t*> lines,
                         const std::wstring& question) {
  std::wstring text;
  for (const auto* line : lines) {
    text += line + gsCR;
  }
  return text + gsCR + question;
}

}  // namespace

std::wstring WithTargetDir(std::wstring properties, const std::wstring& target) {
  if (!properties.empty()) {
    properties.insert(0, L" ");
  }
  if (!target.empty()) {
    properties += L" TARGETDIR=" + gsQuote + target + gsQuote;
  }
  return properties;
}

// With LOG, Windows Installer writes its own verbose log of the package's run beside the
// setup log, named for the run so that runs never write over each other's.
std::wstring VerboseLogArgument(const RunOptions& o, const std::wstring& fileName) {
  if (o.gsLogFolder.empty()) {
    return {};
  }
  const std::wstring name =
      L"VTR Setup " + (o.gsRunId.empty() ? L"" : o.gsRunId + L" ") + fileName + L".log";
  return L" /l*v " + gsQuote + JoinPath(o.gsLogFolder, L"\\", name) + gsQuote;
}

// Why a removal cannot hand Windows Installer the package file on the media; none when it can.
// Only the very package that was installed is safe to name: Windows Installer refuses another
// package of the product (after an update the installed package is the newer one).
std::optional<std::wstring> ByProductCodeReason(bool found, const PackageOnMedia& media,
                                                const std::wstring& fileName) {
  if (!found || media.match == MediaMatch::NoFile) {
    return fileName + L" is not on the media";
  }
  switch (media.match) {
    case MediaMatch::Same:
    case MediaMatch::NoFile:
      break;
    case MediaMatch::Different:
      return fileName + L" on the media is not the package installed: its package code is " +
             media.fileCode + L", the installed one " + media.installedCode;
    case MediaMatch::Unknown:
      return fileName + L" on the media could not be compared with the package installed: " +
             media.failure;
  }
  return std::nullopt;
}

// The removal goes by the installed product's code, with the same properties and level.
void RemoveByProductCode(PackageRun& run, std::wstring reason) {
  run.switches = L"/x ";
  run.path = run.productCode;
  run.byProductCode = true;
  run.byProductCodeReason = std::move(reason);
}

std::wstring MsiexecArguments(const PackageRun& run) {
  const std::wstring target = run.byProductCode ? run.path : gsQuote + run.path + gsQuote;
  return run.switches + target + run.properties + run.level + run.logArgument + run.restartArgument;
}

std::wstring RollbackArguments(const PackageRun& run) {
  return L"/x " + run.productCode + run.level + run.rollbackLogArgument + run.restartArgument;
}

std::wstring ReinstallPrompt(const std::wstring& question) {
  return PromptLines(
      {L"p - Reinstalls only if file is missing", L"o - Reinstall missing or older versions only",
       L"e - Reinstall missing or equal or older versions",
       L"d - Reinstall missing or different versions", L"a - Forces all files to be reinstalled",
       L"um - Rewrites registry (u-user/m-machine)", L"s - Overwrites shortcuts",
       L"v - Runs from source"},
      question);
}

std::wstring ProgramLevelPrompt() {
  return PromptLines(
      {L"Interface level (sUI)", L"/passive   unattended mode progress bar only", L"/q,/qn  no ui",
       L"/qb+ basic with end dlg", L"/qb- basic less modal at end (does auto restart)",
       L"/qb  basic (qb - hides cancel button)", L"/qr  reduced (no modal dlg at end)",
       L"/qf  full UI"},
      L"Enter params (default=/qb-): ");
}

std::wstring DatabaseLevelPrompt() {
  return PromptLines(
      {L"Interface level (sUI)", L"q,qn  no ui", L"qb- basic less modal at end",
       L"qb  basic (qb! hides cancel but)", L"qr  reduced (no modal dlg at end)", L"qf  full"},
      L"Enter params (default=/qb-): ");
}

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

}  // namespace vtr
