// Setup's entries in Programs and Features: planned beside the packages, written value by value
// with what takes each write back, removed with their products.
#include "engine/entries.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cwchar>
#include <optional>

#include "engine/every_user.h"
#include "util/paths.h"
#include "util/text.h"

namespace vtr {
namespace {

// The values of an entry, in the order they are written.
enum Value : std::size_t {
  kName,
  kVersion,
  kPublisher,
  kIcon,
  kLocation,
  kDate,
  kSize,
  kUninstall,
  kQuietUninstall,
  kValueCount
};
constexpr std::array<const wchar_t*, kValueCount> kValueNames = {
    L"DisplayName",   L"DisplayVersion",  L"Publisher",
    L"DisplayIcon",   L"InstallLocation", L"InstallDate",
    L"EstimatedSize", L"UninstallString", L"QuietUninstallString"};

std::wstring Quoted(const std::wstring& text) {
  return L"\"" + text + L"\"";
}

std::wstring WhatOf(PackageId package) {
  return package == PackageId::Program ? L"the program" : L"the database";
}

// The index of the last step that runs the package of one of the products, if any.
std::optional<std::size_t> LastRunOf(const Plan& plan, PackageId a, PackageId b) {
  std::optional<std::size_t> at;
  for (std::size_t i = 0; i < plan.steps.size(); ++i) {
    const auto* run = std::get_if<RunPackage>(&plan.steps[i].action);
    if (run != nullptr && (run->package == a || run->package == b)) {
      at = i;
    }
  }
  return at;
}

std::optional<std::size_t> RunOf(const Plan& plan, PackageId package) {
  return package == PackageId::Program
             ? LastRunOf(plan, PackageId::Program, PackageId::Program)
             : LastRunOf(plan, PackageId::Database, PackageId::OtherDatabase);
}

// Setup's copy in the cache, which the entries start: the one that runs from there, or the one
// this run copies there.
bool SetupCached(const EngineFacts& f) {
  return !f.cacheFolder.empty() &&
         (f.runsFromCache || std::any_of(f.cached.begin(), f.cached.end(), [](const CachedFile& c) {
            return c.kind == CachedFile::Kind::Setup;
          }));
}

WriteEntry EntryFor(const Edition& e, const Request& r, const EngineFacts& f, PackageId package) {
  const bool program = package == PackageId::Program;
  WriteEntry entry;
  entry.package = package;
  entry.key = EntryKey(e.gsEditionID, package);
  entry.displayName = program ? e.programEntryName : e.databaseEntryName;
  entry.productCode = program ? e.gsProdID : e.gsDBProdID;
  entry.fallbackVersion = e.gsVersion;
  entry.installLocation = program ? r.gsAppPath : DatabaseFolderOf(r.gsDBPath).target;
  // A folder written with "/" keeps it, as every path of the program does.
  entry.displayIcon =
      JoinPath(r.gsAppPath, Contains(r.gsAppPath, L"/") ? L"/" : L"\\", e.gsExeName);
  entry.uninstall = Quoted(JoinPath(f.cacheFolder, L"\\", f.ownFileName + L".exe"));
  entry.quietUninstall =
      entry.uninstall + (program ? L" S REMOVE PROGRAM NORESTART" : L" S REMOVE DB NORESTART");
  return entry;
}

// YYYYMMDD, as Programs and Features reads an install date.
std::wstring DateText(const LocalTime& now) {
  wchar_t text[16] = {};
  std::swprintf(text, 16, L"%04d%02d%02d", now.year, now.month, now.day);
  return text;
}

// The version Windows Installer keeps for the installed product, or the one this setup's
// packages carry where it cannot say; with where it came from, for the log.
std::pair<std::wstring, std::wstring> InstalledVersion(Platform& p, const WriteEntry& step) {
  std::wstring version;
  std::wstring failure;
  Attempt([&] { version = p.CreateInstaller()->ProductInfo(step.productCode, L"VersionString"); },
          [&](const RunError& e) {
            failure = L": " + DescribeError(e.description, e.number);
            return OnError::Stop;
          });
  if (!version.empty()) {
    return {version, L"as Windows Installer reports it"};
  }
  return {step.fallbackVersion,
          L"this setup's packages' version: Windows Installer did not say" + failure};
}

}  // namespace

std::wstring EntryKey(const std::wstring& editionId, PackageId package) {
  return std::wstring(kUninstallKey) + L"\\Vantora_" + editionId +
         (package == PackageId::Program ? L"" : L"_Database");
}

void PlanEntries(const Edition& e, const Request& r, const EngineFacts& f, Plan& plan) {
  const std::array<PackageId, 2> products = {PackageId::Database, PackageId::Program};
  // Without the rights for them the run leaves the entries as they are, and hides none of
  // Windows Installer's.
  if (!f.entriesWritable) {
    if (SetupCached(f) || r.bRemove) {
      plan.entriesNote = L"setup's entries in Programs and Features: left as they are, since " +
                         f.entriesUnwritable + L".";
    }
    return;
  }
  if (r.bRemove) {
    // Each entry goes right after its product's removal; with the last product (or where its
    // product was not installed to remove) at the end, before the cache goes.
    std::vector<Step> atEnd;
    for (const PackageId package : products) {
      Step step{RemoveEntry{package, EntryKey(e.gsEditionID, package)},
                CannotTakeBack{L"the product it described is gone"}};
      const bool target = package == PackageId::Program ? r.bProgram : r.bDatabase;
      if (const auto at = RunOf(plan, package)) {
        std::vector<Step> one;
        one.push_back(std::move(step));
        InsertSteps(plan, *at + 1, std::move(one));
      } else if (target || RemovesCache(r, f.installed)) {
        atEnd.push_back(std::move(step));
      }
    }
    // The program's first, as everywhere else.
    std::reverse(atEnd.begin(), atEnd.end());
    InsertSteps(plan, plan.steps.size(), std::move(atEnd));
    return;
  }
  // A run without setup's cached copy writes no entry, and hides none of Windows Installer's:
  // a product never goes missing from Programs and Features.
  if (!SetupCached(f)) {
    return;
  }
  std::vector<Step> atEnd;
  for (const PackageId package : products) {
    const bool installed =
        package == PackageId::Program ? f.installed.gbInstalled : f.installed.gbDBInstalled;
    PackageRun& run = plan.Package(package);
    WriteEntry entry = EntryFor(e, r, f, package);
    if (const auto at = RunOf(plan, package)) {
      run.properties += kHideInstallerEntry;
      // The date of the run that installed or updated the product; a repair keeps its own.
      entry.keepDate = run.installedBefore && !e.gbUpdate;
      // Where the package's result stays (an update, a repair), so does the entry that
      // describes it: taking it back would leave the product with none at all.
      Undo undo = run.installedBefore
                      ? Undo{CannotTakeBack{L"the entry describes the product as Windows "
                                            L"Installer left it, which stays"}}
                      : Undo{TakeBackEntry{entry.key}};
      std::vector<Step> one;
      one.push_back(Step{std::move(entry), std::move(undo)});
      InsertSteps(plan, *at + 1, std::move(one));
    } else if (installed) {
      entry.keepDate = true;
      entry.onlyWhenThere = true;
      TakeBackEntry undo{entry.key};
      atEnd.push_back(Step{std::move(entry), std::move(undo)});
    }
  }
  InsertSteps(plan, plan.steps.size(), std::move(atEnd));
}

void ApplyEntryStep(Platform& p, const WriteEntry& step, const Undo& planned,
                    std::vector<Undo>& undo, StepResult& result) {
  std::array<std::optional<RegistryValue>, kValueCount> old;
  bool there = false;
  for (std::size_t i = 0; i < kValueCount; ++i) {
    old[i] = p.GetRegistryValue(RegistryHive::Machine, step.key, kValueNames[i]);
    there |= old[i].has_value();
  }
  if (step.onlyWhenThere && !there) {
    result.status = StepStatus::Skipped;
    result.detail = L"setup has no entry of it to refresh: Windows Installer's own entry shows it";
    return;
  }
  const auto [version, versionFrom] = InstalledVersion(p, step);
  const auto* oldDate = old[kDate] ? std::get_if<std::wstring>(&*old[kDate]) : nullptr;
  const bool dateKept = step.keepDate && oldDate != nullptr && !oldDate->empty();
  const std::wstring date = dateKept ? *oldDate : DateText(p.Now());
  std::array<std::optional<RegistryValue>, kValueCount> wanted = {step.displayName,
                                                                  version,
                                                                  std::wstring(kEntryPublisher),
                                                                  step.displayIcon,
                                                                  step.installLocation,
                                                                  date,
                                                                  std::nullopt,
                                                                  step.uninstall,
                                                                  step.quietUninstall};
  std::wstring sizeText =
      L"left as it was: the files below " + Quoted(step.installLocation) + L" could not be counted";
  if (const std::optional<uint64_t> bytes = p.FolderSize(step.installLocation)) {
    const uint64_t kilobytes = std::min<uint64_t>((*bytes + 1023) / 1024, UINT32_MAX);
    wanted[kSize] = static_cast<uint32_t>(kilobytes);
    sizeText = std::to_wstring(kilobytes) + L" (kilobytes)";
  }
  const bool takeBack = std::holds_alternative<TakeBackEntry>(planned);
  if (!there && takeBack) {
    // An entry this run makes goes again as a whole.
    undo.push_back(RemoveRegistryKey{RegistryHive::Machine, step.key});
  }
  for (std::size_t i = 0; i < kValueCount; ++i) {
    if (wanted[i] && old[i] != wanted[i]) {
      if (there && takeBack) {
        undo.push_back(
            PutBackRegistryValue{RegistryHive::Machine, step.key, kValueNames[i], true, old[i]});
      }
      p.SetRegistryValue(RegistryHive::Machine, step.key, kValueNames[i], *wanted[i]);
    }
  }
  result.detail = std::wstring(there ? L"refreshed" : L"made") + L": \"DisplayVersion\" " +
                  Quoted(version) + L" (" + versionFrom + L"), \"InstallDate\" " + Quoted(date) +
                  (dateKept ? L" (kept)" : L"") + L", \"EstimatedSize\" " + sizeText;
}

void ApplyEntryStep(Platform& p, const RemoveEntry& step, const Undo&, std::vector<Undo>&,
                    StepResult&) {
  p.DeleteRegistryKey(RegistryHive::Machine, step.key);
}

std::wstring DescribeEntryStep(const WriteEntry& step) {
  std::wstring line =
      std::wstring(step.onlyWhenThere ? L"refresh" : L"write") + L" setup's entry for " +
      WhatOf(step.package) + L" in Programs and Features: " + HiveName(RegistryHive::Machine) +
      L"\\" + step.key + L" \"DisplayName\" = " + Quoted(step.displayName) +
      L", \"DisplayVersion\" = the version Windows Installer reports for " + step.productCode +
      L" (else " + Quoted(step.fallbackVersion) + L"), \"Publisher\" = " + Quoted(kEntryPublisher) +
      L", \"DisplayIcon\" = " + Quoted(step.displayIcon) + L", \"InstallLocation\" = " +
      Quoted(step.installLocation) + L", \"InstallDate\" = the date of the run" +
      (step.keepDate ? L" (a date there is kept)" : L"") +
      L", \"EstimatedSize\" = the kilobytes of the files below the install location"
      L", \"UninstallString\" = " +
      Quoted(step.uninstall) + L", \"QuietUninstallString\" = " + Quoted(step.quietUninstall);
  if (step.onlyWhenThere) {
    line +=
        L"; only where setup's entry is there (this run does not run the product's package, "
        L"so Windows Installer's own entry of it is not hidden)";
  }
  return line;
}

std::wstring DescribeEntryStep(const RemoveEntry& step) {
  return L"remove setup's entry for " + WhatOf(step.package) + L" in Programs and Features: " +
         HiveName(RegistryHive::Machine) + L"\\" + step.key;
}

std::wstring DescribeEntryUndo(const TakeBackEntry& undo) {
  return L"remove " + HiveName(RegistryHive::Machine) + L"\\" + undo.key +
         L" when the run made it, else put back each of its values the run changed";
}

}  // namespace vtr
