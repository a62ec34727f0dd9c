#include "detect/installed.h"

#include "util/text.h"

namespace vtr {

bool IsInstalledState(int32_t state) {
  // 3: installed locally; 5: installed. Advertised, absent (another user's install), run
  // from source and unknown all mean the product cannot be used from here.
  return state == 3 || state == 5;
}

namespace {

ProductKnown Known(bool installed) {
  return installed ? ProductKnown::Installed : ProductKnown::NotInstalled;
}

}  // namespace

void SYS_IsInstalled(Platform& p, const Edition& e, bool debug, InstalledStates& states) {
  states.program = states.database = ProductKnown::Unknown;
  states.failure.clear();
  bool databaseQueryBegun = false;
  const auto report = [&](const RunError& error) {
    if (states.failure.empty()) {
      states.failure = DescribeError(error.description, error.number);
    }
    if (debug) {
      const std::wstring& code = databaseQueryBegun ? e.gsDBProdID : e.gsProdID;
      p.MsgBox(L"errHdl_SYS_IsInstalled: ProductID: " + code + gsCR +
                   DescribeError(error.description, error.number),
               MsgButtons::Ok, MsgIcon::None, std::nullopt);
    }
    return OnError::Resume;
  };
  std::unique_ptr<InstallerObject> installer;
  Attempt(
      [&] {
        installer = p.CreateInstaller();
        states.gbInstalled = IsInstalledState(installer->ProductState(e.gsProdID));
        states.program = Known(states.gbInstalled);
      },
      report);
  databaseQueryBegun = true;
  Attempt(
      [&] {
        if (!installer) {
          // The object was never created: the second query fails just as the first did.
          throw RunError{91, L"Object variable or With block variable not set"};
        }
        states.gbDBInstalled = IsInstalledState(installer->ProductState(e.gsDBProdID));
        states.database = Known(states.gbDBInstalled);
        if (debug) {
          p.MsgBox(L"gbInstalled =" + FlagWord(states.gbInstalled) + L"  gsProdID = " + e.gsProdID +
                       gsCR + L"gbDBInstalled = " + FlagWord(states.gbDBInstalled) +
                       L"  gsDBProdID = " + e.gsDBProdID + gsCR,
                   MsgButtons::Ok, MsgIcon::None, std::nullopt);
        }
      },
      report);
}

}  // namespace vtr
