// Whether this edition's program and database packages are installed, as Windows Installer
// reports them.
#pragma once

#include "detect/run_setup.h"
#include "platform/platform.h"

namespace vtr {

// True when Windows Installer reports a product state that counts as installed.
bool IsInstalledState(int32_t state);

// What Windows Installer said about one product; Unknown when it could not be asked.
enum class ProductKnown { Unknown, Installed, NotInstalled };

// The product the database engine's installer (AccessDatabaseEngine2010_SP2.exe) installs: the
// Microsoft Access Database Engine 2010 (English), 32-bit.
inline constexpr wchar_t kDatabaseEngineProductCode[] = L"{90140000-00D1-0409-0000-0000000FF1CE}";

// What Windows Installer reports of one product: Unknown when it cannot be asked.
ProductKnown AskProductState(Platform& p, const std::wstring& productCode);

struct InstalledStates {
  // The flags every reader uses: installed as far as is known. A query that fails leaves its
  // flag as an earlier query (or the caller) set it.
  bool gbInstalled = false;
  bool gbDBInstalled = false;
  ProductKnown program = ProductKnown::Unknown;
  ProductKnown database = ProductKnown::Unknown;
  std::wstring failure;  // "description (number)" of the first query that failed
  // The other copy's database product (Edition::gsOtherDBProdID), asked only before a removal
  // of the database: installed beside this copy's after an update.
  ProductKnown otherDatabase = ProductKnown::Unknown;
};

// Asks Windows Installer about the edition's program and database products. states comes in
// with what is known so far and goes out with the answers; a query that fails leaves its flag
// and marks its product Unknown (reported in a box to a developer).
void SYS_IsInstalled(Platform& p, const Edition& e, bool debug, InstalledStates& states);

// Asks Windows Installer about the other copy's database product. A query that fails leaves it
// Unknown and says why in failure (when nothing failed before).
void SYS_IsOtherDatabaseInstalled(Platform& p, const Edition& e, InstalledStates& states);

// Whether a package file on the media is the very package an installed product was installed
// (or last reinstalled) from: the same package code.
enum class MediaMatch { Same, Different, NoFile, Unknown };

struct PackageOnMedia {
  MediaMatch match = MediaMatch::Same;
  std::wstring installedCode;  // the package codes compared
  std::wstring fileCode;
  std::wstring failure;  // Unknown: why they could not be compared
};

// Compares the installed product's package code with that of the file. The file must exist;
// a query that fails makes the answer Unknown, never Same.
PackageOnMedia ComparePackage(Platform& p, const std::wstring& productCode,
                              const std::wstring& packagePath);

}  // namespace vtr
