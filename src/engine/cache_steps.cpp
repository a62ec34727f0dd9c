// Keeping the protected cache: a refused copy's box, the cache's upkeep after a good run, and its
// removal with the last product, the running setup included.
#include "engine/cache_steps.h"

#include "detect/install_paths.h"
#include "detect/run_facts.h"
#include "util/paths.h"
#include "util/text.h"

namespace vtr {
namespace {

// Whether a folder holds nothing ("." and ".." aside).
bool FolderEmpty(Platform& p, const std::wstring& folder) {
  for (std::wstring name = p.FindFirst(folder + L"\\*", kAttrAll); !name.empty();
       name = p.FindNext()) {
    if (name != L"." && name != L"..") {
      return false;
    }
  }
  return true;
}

}  // namespace

// The cache after a good run: an update no longer needs the full program package it replaced
// (the full database, installed beside the update's, still needs its own); removing the last
// product removes the cache. Each is the run's last step, so nothing after it is taken back.
void PlanCacheUpkeep(const Edition& e, const Request& r, const EngineFacts& f, bool programRuns,
                     Plan& plan) {
  if (f.cacheFolder.empty()) {
    return;
  }
  if (e.gbUpdate && programRuns && !r.bRemove) {
    plan.steps.push_back(
        Step{ForgetCachedFile{JoinPath(f.cacheFolder, L"\\", ProgramPackageName(e.gbPro, false)),
                              L"the update replaced the package it installed"},
             CannotTakeBack{L"the updated program needs the update's package only"}});
  }
  if (RemovesCache(r, f.installed)) {
    RemoveCache step{f.cacheFolder, L"", L"", f.gsSystemDir};
    if (f.runsFromCache) {
      // A running program cannot be deleted, but it can be moved on its own drive.
      step.runningCopy = JoinPath(f.cacheFolder, L"\\", f.ownFileName + L".exe");
      step.aside = SYS_ParentFolder(f.cacheFolder, f.cacheFolder) + L"\\" + e.gsEditionID + L" " +
                   f.ownFileName + L" " + std::to_wstring(f.processId) + L".removed";
    }
    plan.steps.push_back(Step{
        std::move(step), CannotTakeBack{L"nothing of the product is left that needs the cache"}});
  }
}

std::wstring CacheFailureText(const std::wstring& folder, const std::wstring& failure) {
  return L"Setup could not copy its installation files into its protected folder:" + gsCR +
         (folder.empty() ? std::wstring(L"%ProgramData%\\Vantora\\Setup Cache") : folder) + gsCR +
         L"Reason: " + failure + L"." + gsCR + L"Nothing was installed, repaired or removed.";
}

void RemoveTheCache(Platform& p, const RemoveCache& step,
                    std::vector<std::unique_ptr<HeldFile>>& held) {
  held.clear();
  const std::wstring above = SYS_ParentFolder(step.folder, step.folder);
  const bool running = !step.runningCopy.empty();
  if (running) {
    // Windows deletes no running program, but it moves one on its own drive: into the folder
    // above, made again with the protected access list, and deleted when Windows next starts.
    // Its current folder (the cache, when it was started there) would keep the cache too.
    p.SetCurrentFolder(step.leaveTo);
    p.MakeProtectedFolder(above);
    p.RemoveFile(step.aside);  // left by an earlier run whose process had the same id
    if (!p.MoveFileTo(step.runningCopy, step.aside)) {
      throw RunError{75, L"setup could not move itself out of the folder"};
    }
    p.DeleteAtRestart(step.aside);
  }
  p.RemoveFolderTree(step.folder);
  // "Setup Cache", then "Vantora": removed when left empty, else (holding the setup that
  // runs) at the next restart, when Windows removes them only if they are empty by then.
  std::wstring folder = above;
  for (int level = 0; level < 2; ++level) {
    if (running) {
      p.DeleteAtRestart(folder);
    } else if (FolderEmpty(p, folder)) {
      p.RemoveFolderTree(folder);
    } else {
      break;
    }
    folder = SYS_ParentFolder(folder, folder);
  }
}

std::wstring CacheLeftText(const RemoveCache& step, const std::wstring& failure) {
  return L"Vantora Contact Management has been removed, but setup could not remove its folder "
         L"of installation files:" +
         gsCR + step.folder + gsCR + L"Reason: " + failure + L"." + gsCR +
         L"An administrator may delete the folder.";
}

}  // namespace vtr
