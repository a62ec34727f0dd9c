// The products' states as Windows Installer reports them, and a package compared with one.
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

ProductKnown AskProductState(Platform& p, const std::wstring& productCode) {
  ProductKnown known = ProductKnown::Unknown;
  Attempt([&] { known = Known(IsInstalledState(p.CreateInstaller()->ProductState(productCode))); },
          [](const RunError&) { return OnError::Stop; });
  return known;
}

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

void SYS_IsOtherDatabaseInstalled(Platform& p, const Edition& e, InstalledStates& states) {
  states.otherDatabase = ProductKnown::Unknown;
  Attempt(
      [&] {
        states.otherDatabase =
            Known(IsInstalledState(p.CreateInstaller()->ProductState(e.gsOtherDBProdID)));
      },
      [&](const RunError& error) {
        if (states.failure.empty()) {
          states.failure = DescribeError(error.description, error.number);
        }
        return OnError::Stop;
      });
}

namespace {

// A package code as Windows Installer writes it: a GUID in braces. A summary's revision number
// may carry more after it.
std::wstring PackageCodeIn(const std::wstring& text) {
  constexpr std::size_t kGuidLength = 38;
  return !text.empty() && text.front() == L'{' && text.size() > kGuidLength
             ? text.substr(0, kGuidLength)
             : text;
}

}  // namespace

PackageOnMedia ComparePackage(Platform& p, const std::wstring& productCode,
                              const std::wstring& packagePath) {
  constexpr int32_t kRevisionNumber = 9;  // the summary property that holds the package code
  PackageOnMedia media;
  const bool read = Attempt(
      [&] {
        const std::unique_ptr<InstallerObject> installer = p.CreateInstaller();
        media.installedCode = installer->ProductInfo(productCode, L"PackageCode");
        media.fileCode = PackageCodeIn(installer->SummaryProperty(packagePath, kRevisionNumber));
      },
      [&](const RunError& error) {
        media.match = MediaMatch::Unknown;
        media.failure = DescribeError(error.description, error.number);
        return OnError::Stop;
      });
  if (!read) {
    return media;
  }
  if (media.installedCode.empty() || media.fileCode.empty()) {
    media.match = MediaMatch::Unknown;
    media.failure = media.installedCode.empty()
                        ? L"Windows Installer keeps no package code of the installed product"
                        : L"the package file holds no package code";
    return media;
  }
  media.match =
      EqualsNoCase(media.installedCode, media.fileCode) ? MediaMatch::Same : MediaMatch::Different;
  return media;
}

}  // namespace vtr
