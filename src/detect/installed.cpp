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

bool SYS_IsInstalled(Session& s, Platform& p, InstalledStates& states) {
  states = InstalledStates{};
  bool databaseQueryBegun = false;
  const auto report = [&](const RunError& e) {
    if (states.failure.empty()) {
      states.failure = DescribeError(e.description, e.number);
    }
    if (s.gbDebug) {
      const std::wstring& code = databaseQueryBegun ? s.gsDBProdID : s.gsProdID;
      p.MsgBox(L"errHdl_SYS_IsInstalled: ProductID: " + code + s.gsCR +
                   DescribeError(e.description, e.number),
               MsgButtons::Ok, MsgIcon::None, std::nullopt);
    }
  };

  std::unique_ptr<InstallerObject> installer;
  Attempt(
      [&] {
        installer = p.CreateInstaller();
        s.gbInstalled = IsInstalledState(installer->ProductState(s.gsProdID));
        states.program = Known(s.gbInstalled);
      },
      report);

  databaseQueryBegun = true;
  Attempt(
      [&] {
        if (!installer) {
          // The object was never created: the second query fails just as the first did.
          throw RunError{91, L"Object variable or With block variable not set"};
        }
        s.gbDBInstalled = IsInstalledState(installer->ProductState(s.gsDBProdID));
        states.database = Known(s.gbDBInstalled);
        if (s.gbDebug) {
          p.MsgBox(L"gbInstalled =" + FlagWord(s.gbInstalled) + L"  gsProdID = " + s.gsProdID +
                       s.gsCR + L"gbDBInstalled = " + FlagWord(s.gbDBInstalled) +
                       L"  gsDBProdID = " + s.gsDBProdID + s.gsCR,
                   MsgButtons::Ok, MsgIcon::None, std::nullopt);
        }
      },
      report);
  return true;
}

bool SYS_IsInstalled(Session& s, Platform& p) {
  InstalledStates states;
  return SYS_IsInstalled(s, p, states);
}

}  // namespace vtr
