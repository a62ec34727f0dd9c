// The plan's part for the ACE database engine of a workstation edition.
#include "engine/plan.h"
#include "util/text.h"

namespace vtr {

// Once the program's run started: a person is offered the engine; a run nobody can answer
// installs it quietly where it is missing, and never ends in success with a program that cannot
// open its database.
bool PlanDatabaseEngine(const EngineFacts& f, Plan& plan) {
  const CannotTakeBack stays{L"what the database engine's own installer did stays as it left it"};
  if (!f.engineAsked || f.personCanAnswer) {
    plan.steps.push_back(Step{OfferEngine{}, stays});
    return true;
  }
  const std::wstring engine = L"the Microsoft ACE 2010 Database Engine (32-bit, product code " +
                              std::wstring(kDatabaseEngineProductCode) + L")";
  if (f.databaseEngine == ProductKnown::Installed) {
    plan.engineNote = L"database engine: " + engine + L" is installed; nothing to do";
    return true;
  }
  plan.engineNote = L"database engine: " + engine + L" is " + StateWord(f.databaseEngine) +
                    L"; nobody can answer its offer, so the run installs it quietly";
  if (!f.engineInstallerFound) {
    plan.refusal = Refusal{Refusal::Why::MissingPackage, MissingPackageText(f, plan.aceInstaller)};
    plan.steps.clear();
    return false;
  }
  plan.steps.push_back(Step{InstallDatabaseEngine{}, stays});
  return true;
}

}  // namespace vtr
