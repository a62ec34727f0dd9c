// Copying the run's files into the protected cache and checking the copies, before the first
// step: what is checked is what the run hands on, and nothing that was not checked is read.
#include "detect/run_cache.h"

#include <utility>

#include "util/paths.h"
#include "util/text.h"

namespace vtr {
namespace {

using Digests = std::vector<std::pair<std::wstring, std::wstring>>;

std::wstring Quoted(const std::wstring& text) {
  return L"\"" + text + L"\"";
}

// The digests the release recorded, by file name: "<sha256>  <file name>" a line.
Digests ParseDigests(const std::wstring& text) {
  Digests digests;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) {
      end = text.size();
    }
    std::wstring line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == L'\r') {
      line.pop_back();
    }
    const std::size_t blank = line.find(L' ');
    if (blank == std::wstring::npos) {
      continue;
    }
    std::size_t name = line.find_first_not_of(L" *", blank);
    if (name != std::wstring::npos) {
      digests.emplace_back(line.substr(name), line.substr(0, blank));
    }
  }
  return digests;
}

const std::wstring* RecordedDigest(const Digests& digests, const std::wstring& name) {
  for (const auto& [file, digest] : digests) {
    if (EqualsNoCase(file, name)) {
      return &digest;
    }
  }
  return nullptr;
}

// Turns an error into text for a check's detail or the cache's failure.
std::function<OnError(const RunError&)> Into(std::wstring& text, const std::wstring& beginning) {
  return [&text, beginning](const RunError& error) {
    text = beginning + DescribeError(error.description, error.number);
    return OnError::Stop;
  };
}

// One file's check: its digest first (a release build), then a package's product code, read
// from a file whose digest matched. held gives the digest of a file that was not copied.
PackageCheck CheckFile(InstallerObject* installer, CachedFile& c, const std::wstring& path,
                       const Digests& digests, HeldFile& held) {
  PackageCheck check{c.name, c.source, false, {}};
  std::wstring compared;
  if (!digests.empty()) {
    const std::wstring* recorded = RecordedDigest(digests, c.name);
    if (recorded == nullptr) {
      check.detail = L"this setup recorded no SHA-256 for " + c.name;
      return check;
    }
    if (c.digest.empty() && !Attempt([&] { c.digest = held.Sha256(); },
                                     Into(check.detail, L"its SHA-256 could not be computed: "))) {
      return check;
    }
    if (!EqualsNoCase(c.digest, *recorded)) {
      check.detail = L"its SHA-256 is " + c.digest + L", the release recorded " + *recorded;
      return check;
    }
    compared = L"SHA-256 as recorded";
  }
  if (c.kind == CachedFile::Kind::Engine) {
    check.passed = true;
    check.detail = compared;
    return check;
  }
  std::wstring failure;
  Attempt(
      [&] {
        const std::wstring productCode = installer->PackageProperty(path, L"ProductCode");
        if (!EqualsNoCase(productCode, c.productCode)) {
          failure = L"its product code is " +
                    (productCode.empty() ? std::wstring(L"missing") : productCode) +
                    L", this setup expects " + c.productCode;
        }
      },
      Into(failure, L"its product code could not be read: "));
  if (!failure.empty()) {
    check.detail = failure;
    return check;
  }
  check.passed = true;
  check.detail = (compared.empty() ? L"" : compared + L", ") + L"product code " + c.productCode;
  return check;
}

// A file held in place in the cache must be the file itself, not a link to another.
bool NotALink(Platform& p, const CachedFile& c, std::wstring& failure) {
  bool link = false;
  if (!Attempt([&] { link = p.PathHasLink(c.copy); },
               Into(failure, L"whether " + c.name + L" in it is a link cannot be told: "))) {
    return false;
  }
  if (link) {
    failure = c.name + L" in it is a link or a junction, which setup does not follow";
  }
  return !link;
}

}  // namespace

std::wstring SizeText(const std::optional<uint64_t>& size) {
  return size ? std::to_wstring(*size) + L" bytes" : L"size unknown";
}

std::vector<CachedFile> FilesToCache(const Edition& e, const Request& r, const EngineFacts& f,
                                     const std::vector<PackageId>& packages) {
  std::vector<CachedFile> files;
  const auto add = [&](CachedFile::Kind kind, const std::wstring& name, bool inCache,
                       const std::wstring& productCode) {
    CachedFile c;
    c.kind = kind;
    c.name = name;
    c.copy = JoinPath(f.cacheFolder, L"\\", name);
    c.inPlace = f.runsFromCache || inCache;
    const std::wstring& from = kind == CachedFile::Kind::Setup ? f.ownFolder : f.sourceFolder;
    c.source = c.inPlace ? c.copy : JoinPath(from, f.sourceSeparator, name);
    c.productCode = productCode;
    files.push_back(std::move(c));
  };
  // Setup's own copy repairs and removes the product later; a run that removes the cache has
  // no use for it.
  if (!f.runsFromCache && !RemovesCache(r, f.installed)) {
    add(CachedFile::Kind::Setup, f.ownFileName + L".exe", false, L"");
  }
  for (const PackageId id : packages) {
    if (id == PackageId::Program) {
      add(CachedFile::Kind::Package, ProgramPackageName(e.gbPro, e.gbUpdate), f.programInCache,
          e.gsProdID);
    } else {
      add(CachedFile::Kind::Package, DatabasePackageName(e.gbPro, e.gbUpdate), f.databaseInCache,
          e.gsDBProdID);
    }
  }
  if (MayStartEngineInstaller(e, r, f) && f.engineInstallerFound) {
    add(CachedFile::Kind::Engine, kEngineInstaller, false, L"");
  }
  return files;
}

void CacheAndCheck(Platform& p, const Edition& e, const RunOptions& o, const Request& r,
                   const std::vector<PackageId>& packages, DetectedRun& run,
                   const std::function<OnError(const RunError&)>& handler) {
  EngineFacts& f = run.facts;
  if (!f.cacheFailure.empty()) {
    return;  // no folder for the cache: the plan refuses the run
  }
  f.cached = FilesToCache(e, r, f, packages);
  if (f.cached.empty()) {
    return;
  }
  bool checked = false;
  for (CachedFile& c : f.cached) {
    c.size = p.FileSize(c.source);
    checked |= c.kind != CachedFile::Kind::Setup;
  }
  Digests digests;
  std::unique_ptr<InstallerObject> installer;
  if (checked) {
    std::optional<RunError> failed;
    Attempt(
        [&] {
          digests = ParseDigests(p.RecordedPackageDigests());
          if (!packages.empty()) {
            installer = p.CreateInstaller();
          }
        },
        [&](const RunError& error) {
          failed = error;
          return handler(error);
        });
    if (!packages.empty() && !installer) {
      // Without the installer object (also when a developer resumed after its error) no
      // package can be checked, so none is handed on: the run stops.
      run.stopped =
          failed.value_or(RunError{0, L"the Windows Installer object could not be created"});
      return;
    }
    if (digests.empty()) {
      p.WriteLog(
          L"the digests were not checked: this build of setup recorded none (a developer's "
          L"build); only the packages' product codes are checked, and the database engine's "
          L"installer is not checked at all");
    }
  }
  if (!o.gbPlan &&
      !Attempt([&] { p.MakeProtectedFolder(f.cacheFolder); },
               Into(f.cacheFailure,
                    L"the folder could not be made with an access list only administrators "
                    L"can change: "))) {
    return;
  }
  // Every copy begins at once; a file already in the cache (or, for PLAN, at its source) is
  // held against change instead.
  std::vector<std::unique_ptr<HeldFile>> files;
  std::vector<std::wstring> holdFailures;
  for (const CachedFile& c : f.cached) {
    std::unique_ptr<HeldFile> file;
    std::wstring failure;
    if (o.gbPlan || c.inPlace) {
      if (!o.gbPlan && !NotALink(p, c, f.cacheFailure)) {
        return;
      }
      if (c.kind != CachedFile::Kind::Setup) {
        Attempt([&] { file = p.HoldFile(c.source, !digests.empty()); },
                Into(failure, L"it cannot be opened for reading with changes denied: "));
      }
    } else if (!Attempt([&] { file = p.CopyIntoFolder(c.source, f.cacheFolder, c.name); },
                        Into(f.cacheFailure, c.name + L" could not be copied: "))) {
      return;
    }
    files.push_back(std::move(file));
    holdFailures.push_back(failure);
  }
  // A copy is whole once its digest is known.
  for (std::size_t i = 0; i < files.size(); ++i) {
    CachedFile& c = f.cached[i];
    if (o.gbPlan || c.inPlace) {
      continue;
    }
    if (!files[i]) {
      f.cacheFailure = c.name + L" could not be copied";
      return;
    }
    if (!Attempt([&] { c.digest = files[i]->Sha256(); },
                 Into(f.cacheFailure, c.name + L" could not be copied: "))) {
      return;
    }
    p.WriteLog(L"copied " + Quoted(c.source) + L" into the setup cache as " + Quoted(c.copy) +
               L": " + SizeText(c.size) + L", SHA-256 " + c.digest);
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    CachedFile& c = f.cached[i];
    // Setup is not checked; a developer's build has no digest to check the engine's installer by.
    if (c.kind == CachedFile::Kind::Setup ||
        (c.kind == CachedFile::Kind::Engine && digests.empty())) {
      continue;
    }
    f.packageChecks.push_back(
        holdFailures[i].empty()
            ? CheckFile(installer.get(), c, o.gbPlan ? c.source : c.copy, digests, *files[i])
            : PackageCheck{c.name, c.source, false, holdFailures[i]});
    // The cache keeps only files that passed: a copy that failed goes again.
    if (!f.packageChecks.back().passed && !o.gbPlan && !c.inPlace) {
      files[i].reset();
      Attempt([&] { p.RemoveFile(c.copy); }, [](const RunError&) { return OnError::Stop; });
    }
    if (c.inPlace && !o.gbPlan) {
      p.WriteLog(L"held in the setup cache, not copied: " + Quoted(c.copy) + L": " +
                 SizeText(c.size) + (c.digest.empty() ? L"" : L", SHA-256 " + c.digest));
    }
  }
  for (std::unique_ptr<HeldFile>& file : files) {
    if (file) {
      run.held.push_back(std::move(file));
    }
  }
  f.packagesChecked = true;
}

}  // namespace vtr
