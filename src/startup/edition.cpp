// The edition table: what follows from the edition ID and the run mode.
#include "startup/edition.h"

#include "util/text.h"

#include <cstdint>
#include <cwchar>
#include <utility>

namespace vtr {
namespace {

// The Active Setup components of the editions. An edition ID outside this list gets a GUID of
// its own made from the ID, so two editions on one machine never share a component.
constexpr std::pair<const wchar_t*, const wchar_t*> kSettingsComponents[] = {
    {L"VTRPRO_3", L"{021BA4ED-9251-451D-8878-BDD7DBCFB699}"},
    {L"VTRPRO_WS", L"{3FD8A4F4-5F5F-4E0E-8B82-333E7D0F6FD4}"},
    {L"VTRPRO_RTF3", L"{70CA5D01-E77A-4770-8CA6-1D0FEB7BFE1A}"},
};

std::wstring SettingsComponentFor(const std::wstring& editionId) {
  for (const auto& [id, component] : kSettingsComponents) {
    if (EqualsNoCase(editionId, id)) {
      return component;
    }
  }
  // FNV-1a of the ID as the registry compares it (ignoring case), in the last 48 bits.
  uint64_t hash = 14695981039346656037ULL;
  for (const wchar_t c : UpperCase(editionId)) {
    hash = (hash ^ static_cast<uint16_t>(c)) * 1099511628211ULL;
  }
  wchar_t last[13];
  std::swprintf(last, 13, L"%012llX", static_cast<unsigned long long>(hash & 0xFFFFFFFFFFFFULL));
  return L"{96841122-CB3C-4AB5-B932-" + std::wstring(last) + L"}";
}

}  // namespace

Edition EditionFor(const std::wstring& editionId, bool update) {
  Edition e;
  e.gsEditionID = editionId;
  e.gsVersion = kVersion;
  e.gbUpdate = update;
  e.gbWorkstation =
      EqualsNoCase(editionId, L"VTRPRO_WS") || EqualsNoCase(editionId, L"VTRPRO_RTF3");
  e.gbPro = LeftEqualsNoCase(editionId, 6, L"VTRPRO");
  if (EqualsNoCase(editionId, L"VTRPRO_RTF3")) {
    e.gsExeName = L"VTR3_RTF.exe";
  } else if (EqualsNoCase(editionId, L"VTRPRO_WS")) {
    e.gsExeName = L"VTR3_WS.exe";
  } else {
    e.gsExeName = L"vtr3.exe";
  }
  // The full and the update database are two products.
  const wchar_t* fullDatabase = e.gbPro ? L"{9A3E077B-AC17-4655-AE22-D73047814448}"
                                        : L"{3A072D0A-9E8A-4E4D-B057-711765C38C73}";
  const wchar_t* updateDatabase = e.gbPro ? L"{DCB3C1C6-15AD-4C1B-9CEE-8BD16BA8E1F5}"
                                          : L"{AA9A981A-7ACF-44AB-A5E0-1B34D7C95D66}";
  e.gsProdID = e.gbPro ? L"{590454A0-A293-4ECE-AB62-FD940586A43C}"
                       : L"{D2D733C2-0C8D-402C-91AF-3866DF9C12A5}";
  e.gsDBProdID = update ? updateDatabase : fullDatabase;
  e.gsOtherDBProdID = update ? fullDatabase : updateDatabase;
  e.productName =
      e.gbPro ? L"Vantora Contact Management Professional" : L"Vantora Contact Management Lite";
  e.programEntryName = e.gbPro ? L"Vantora Contact Management" : L"Vantora Contact Management Lite";
  e.databaseEntryName = e.programEntryName + L" Database";
  e.settingsComponent = SettingsComponentFor(editionId);
  return e;
}

}  // namespace vtr
