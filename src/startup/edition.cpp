#include "startup/edition.h"

#include "util/text.h"

namespace vtr {

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
  return e;
}

}  // namespace vtr
