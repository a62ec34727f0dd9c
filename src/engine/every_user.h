// Settings for every user of the machine. The product reads its settings from the store of the
// user who starts it, but a deployment tool runs setup as the system account and a shared
// machine has many users: so a run that records settings also keeps a machine-wide copy of
// them, and an Active Setup component copies that into each user's own store at their next
// logon (again whenever its version rises). A removal of the program removes both.
#pragma once

#include <string>
#include <vector>

#include "detect/run_setup.h"
#include "engine/plan.h"
#include "platform/platform.h"

namespace vtr {

// Adds the steps for every user to a plan whose setting steps are made: after an install or
// repair, the machine-wide copy of each setting and the component; after a program's removal,
// their removal. A run that may not write them gets a note instead (Plan::everyUserNote).
void PlanEveryUser(const Edition& e, const Request& r, const EngineFacts& f, Plan& plan);

// The component's StubPath as it is written.
std::wstring StubPath(const RegisterEveryUser& step);

// The component's version for a run that changed the machine-wide copy, from the local time
// ("2026,1209,1530,45"), and always above the version it had (previous, "" for none), so
// every user gets the new values even where the clock went back.
std::wstring ComponentVersion(const LocalTime& now, const std::wstring& previous);

// Applying the steps. What takes each write back goes on undo, filled in from the planned
// rollback with what the value held just before. changed says whether the machine-wide copy
// changed in this run. Each returns the step's detail for the log.
std::wstring ApplyMachineSetting(Platform& p, const PutBackRegistryValue& planned,
                                 const std::wstring& value, std::vector<Undo>& undo, bool& changed);
std::wstring ApplyEveryUserComponent(Platform& p, const RegisterEveryUser& step, bool changed,
                                     std::vector<Undo>& undo);
void ApplyRemoveEveryUser(Platform& p, const Plan& plan, const RemoveEveryUser& step);

// The hive's name as the registry editor shows it.
std::wstring HiveName(RegistryHive hive);

}  // namespace vtr
