// Setup's own entries in Programs and Features: one for the program and, while the database
// product is installed, one for the database. Each removes through setup's cached copy, which
// does everything setup did; Windows Installer's own entries of the packages are hidden by the
// runs that write setup's.
#pragma once

#include <concepts>
#include <string>
#include <vector>

#include "detect/request.h"
#include "detect/run_facts.h"
#include "detect/run_setup.h"
#include "engine/outcome.h"
#include "engine/plan.h"
#include "engine/steps.h"
#include "platform/platform.h"

namespace vtr {

inline constexpr wchar_t kEntryPublisher[] = L"Vantora";
// What hides Windows Installer's own entry of a package, on the command lines that install
// or reinstall it.
inline constexpr wchar_t kHideInstallerEntry[] = L" ARPSYSTEMCOMPONENT=1";

// The entry's key below HKEY_LOCAL_MACHINE: "...\Uninstall\Vantora_VTRPRO_3" for the program,
// "..._Database" for the database.
std::wstring EntryKey(const std::wstring& editionId, PackageId package);

// Adds the entry steps to a plan whose other steps are made (before the cache's upkeep): after
// an install, update or repair, each product's entry written right after its package ran (its
// package then hides Windows Installer's entry), and the entry of a product that stays
// installed refreshed; after a removal, each product's entry removed right after the product,
// and every entry before the cache goes with the last product.
void PlanEntries(const Edition& e, const Request& r, const EngineFacts& f, Plan& plan);

// Applying the steps. What takes a write back goes on undo (when the plan takes it back at
// all), filled in with what each value held just before; result gets the values the run chose.
template <typename Kind>
concept EntryStep = std::same_as<Kind, WriteEntry> || std::same_as<Kind, RemoveEntry>;
void ApplyEntryStep(Platform& p, const WriteEntry& step, const Undo& planned,
                    std::vector<Undo>& undo, StepResult& result);
void ApplyEntryStep(Platform& p, const RemoveEntry& step, const Undo& planned,
                    std::vector<Undo>& undo, StepResult& result);

// The steps and what takes them back, as PLAN and the setup log give them.
std::wstring DescribeEntryStep(const WriteEntry& step);
std::wstring DescribeEntryStep(const RemoveEntry& step);
std::wstring DescribeEntryUndo(const TakeBackEntry& undo);

}  // namespace vtr
