#include "engine/components.h"

#include "engine/run_programs.h"
#include "util/paths.h"
#include "util/text.h"

namespace vtr {
namespace {

int32_t Shell(Platform& p, const std::wstring& file, const std::wstring& parameters,
              const std::wstring& workFolder) {
  return p.ShellOpen(L"open", file, parameters, workFolder, kShowNormal);
}

}  // namespace

int32_t RunShellStep(Platform& p, const Plan& plan, const Step& step) {
  return Shell(p, step.program, step.parameters, plan.systemDir);
}

bool RegisterComponent(Platform& p, const Plan& plan, const Step& step) {
  const std::wstring& component = step.what;
  const int32_t code = RunShellStep(p, plan, step);
  const std::wstring text =
      ShellFailureText(code,
                       L"File Not Found:" + component + gsCR +
                           L"Please re-install Vantora Contact Management" + gsCR,
                       plan.systemDir, component, step.text + L" (", L"):" + gsCR + component);
  if (text.empty()) {
    return true;
  }
  p.MsgBox(text, MsgButtons::Ok, MsgIcon::None, std::nullopt);
  return false;
}

bool OfferDatabaseEngine(Platform& p, const Plan& plan) {
  const std::wstring question =
      plan.remove
          ? L"Would you like to also remove the Microsoft ACE 2010 Database Engine (32-bit)?" +
                gsCR + L"(NOTE: This is a necessary component of Microsoft Office 2010)" + gsCR
          : L"Microsoft ACE 2010 Database Engine (32-bit) must be installed on your system" + gsCR +
                L"Would you like to install this now?" + gsCR;
  if (p.MsgBox(question, MsgButtons::YesNo, MsgIcon::Question,
               std::wstring(L"Install Database Engine")) != MsgAnswer::Yes) {
    return true;
  }
  // The engine's installer does both: it offers removal when the engine is there.
  const int32_t code =
      Shell(p, JoinPath(plan.sourceFolder, plan.sourceSeparator, plan.aceInstaller), L"",
            plan.sourceFolder);
  std::wstring text = ShellFailureText(
      code,
      L"File Not Found:" + plan.aceInstaller + gsCR +
          L"Vantora Contact Management will not run correctly without the ACE Database Engine" +
          gsCR,
      plan.sourceFolder, plan.aceInstaller,
      plan.remove ? L"Windows was not able to uninstall the Microsoft ACE Database Engine ("
                  : L"Sorry, Windows was not able to install the Microsoft ACE Database Engine (",
      L"):" + gsCR);
  if (text.empty()) {
    return true;
  }
  if (!plan.remove) {
    text += gsCR + L"Please try re-installing the program again" + gsCR;
  }
  p.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical, std::nullopt);
  return false;
}

}  // namespace vtr
