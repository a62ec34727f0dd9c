// The tables start-up and detection decide from: editions and Windows version names.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "detect/installed.h"
#include "detect/windows_version.h"
#include "startup/edition.h"

namespace vtr {
namespace {

constexpr wchar_t kProProgram[] = L"{590454A0-A293-4ECE-AB62-FD940586A43C}";
constexpr wchar_t kProDb[] = L"{9A3E077B-AC17-4655-AE22-D73047814448}";
constexpr wchar_t kProDbUpdate[] = L"{DCB3C1C6-15AD-4C1B-9CEE-8BD16BA8E1F5}";
constexpr wchar_t kLiteProgram[] = L"{D2D733C2-0C8D-402C-91AF-3866DF9C12A5}";
constexpr wchar_t kLiteDb[] = L"{3A072D0A-9E8A-4E4D-B057-711765C38C73}";
constexpr wchar_t kLiteDbUpdate[] = L"{AA9A981A-7ACF-44AB-A5E0-1B34D7C95D66}";

TEST(EditionTable, EveryRow) {
  struct Row {
    const wchar_t* id;
    bool pro;
    bool workstation;
    const wchar_t* exe;
  };
  const Row rows[] = {
      {L"VTRPRO_3", true, false, L"vtr3.exe"},
      {L"VTRPRO_WS", true, true, L"VTR3_WS.exe"},
      {L"VTRPRO_RTF3", true, true, L"VTR3_RTF.exe"},
      {L"vtrpro_rtf3", true, true, L"VTR3_RTF.exe"},  // IDs compare ignoring case
      {L"Vtrpro_ws", true, true, L"VTR3_WS.exe"},
      {L"VTRPRO_X", true, false, L"vtr3.exe"},
      {L"VTRPRO", true, false, L"vtr3.exe"},
      {L"VTRPR", false, false, L"vtr3.exe"},  // shorter than the prefix: Lite
      {L"VTRLITE_3", false, false, L"vtr3.exe"},
      {L"", false, false, L"vtr3.exe"},
      {L"VTRPRO_WS2", true, false, L"vtr3.exe"},  // only the exact IDs are workstations
  };
  for (const auto& row : rows) {
    for (bool update : {false, true}) {
      const Edition e = EditionFor(row.id, update);
      EXPECT_EQ(e.gbPro, row.pro) << row.id;
      EXPECT_EQ(e.gbWorkstation, row.workstation) << row.id;
      EXPECT_EQ(e.gsExeName, row.exe) << row.id;
      EXPECT_EQ(e.gsProdID, row.pro ? kProProgram : kLiteProgram) << row.id;
      const wchar_t* db =
          row.pro ? (update ? kProDbUpdate : kProDb) : (update ? kLiteDbUpdate : kLiteDb);
      EXPECT_EQ(e.gsDBProdID, db) << row.id << " update " << update;
      // The names of setup's entries in Programs and Features: the packages' product names.
      const std::wstring name =
          row.pro ? L"Vantora Contact Management" : L"Vantora Contact Management Lite";
      EXPECT_EQ(e.programEntryName, name) << row.id;
      EXPECT_EQ(e.databaseEntryName, name + L" Database") << row.id;
    }
  }
}

TEST(EditionTable, EveryEditionHasAnActiveSetupComponentOfItsOwn) {
  // An ID outside the table gets one made from it: the same for the same ID in any case, and
  // another for another ID, so two editions on one machine never share a component.
  const std::wstring other = EditionFor(L"VTRPRO_X", false).settingsComponent;
  EXPECT_EQ(other, EditionFor(L"vtrpro_x", true).settingsComponent);
  EXPECT_EQ(other.size(), 38u);
  EXPECT_EQ(other.find_first_not_of(L"{}-0123456789ABCDEF"), std::wstring::npos) << other;
  std::set<std::wstring> seen;
  for (const wchar_t* id : {L"VTRPRO_3", L"VTRPRO_WS", L"VTRPRO_RTF3", L"VTRPRO_X", L"VTRPRO_Y",
                            L"VTRLITE_3", L"VTRLITE_4", L""}) {
    EXPECT_TRUE(seen.insert(EditionFor(id, false).settingsComponent).second) << id;
  }
}

TEST(InstalledState, OnlyLocalAndDefaultCount) {
  for (int state = -7; state <= 7; ++state) {
    EXPECT_EQ(IsInstalledState(state), state == 3 || state == 5) << state;
  }
}

TEST(WindowsVersionName, EveryRow) {
  struct Row {
    int platformId, major, minor;
    const wchar_t* name;
  };
  const Row rows[] = {
      {1, 4, 0, L"Windows 95"},
      {1, 4, 10, L"Windows 98"},
      {1, 0, 10, L"Windows 98"},  // 9x names ignore the major version
      {1, 4, 90, L"Windows Millennium"},
      {1, 4, 5, L""},
      {2, 3, 51, L"Windows NT 3.51"},
      {2, 4, 0, L"Windows NT 4.0"},
      {2, 5, 0, L"Windows 2000"},
      {2, 5, 1, L"Windows XP"},
      {2, 5, 2, L"Windows XP 64-bit"},
      {2, 6, 0, L"Vista"},
      {2, 6, 1, L"Windows 7"},
      {2, 6, 2, L"Win 8 or higher"},
      {2, 6, 3, L"Windows 8.1"},
      {2, 6, 4, L"Windows 8.1 or higher"},
      {2, 6, 9, L"Windows 8.1 or higher"},
      {2, 10, 0, L"Windows 10 Preview"},
      {2, 10, 1, L"Windows 10"},
      {2, 10, 2, L"Windows 10.0 or higher"},
      {2, 7, 0, L"Windows"},
      {2, 9, 1, L"Windows"},
      {2, 2, 0, L"Windows"},
      {2, 11, 0, L"Windows"},
      {0, 0, 0, L"Failed: 0"},
      {3, 10, 0, L"Failed: 3"},
      {-1, 6, 1, L"Failed: -1"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(WindowsVersionName(row.platformId, row.major, row.minor), row.name)
        << row.platformId << " " << row.major << "." << row.minor;
  }
}

}  // namespace
}  // namespace vtr
