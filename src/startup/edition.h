// What follows from the edition ID fixed into the build and from the run mode.
#pragma once

#include <string>

#include "startup/session.h"

namespace vtr {

struct Edition {
  bool pro = false;          // Professional; false is the Lite edition
  bool workstation = false;  // a workstation edition, which needs the ACE database engine
  std::wstring exeName;      // the product's main executable
  std::wstring prodId;       // Windows Installer product code of the program package
  std::wstring dbProdId;     // ... of the database package (the update build is another product)
};

Edition EditionFor(const std::wstring& editionId, bool update);

// Fixes the version, the edition and what follows from it (gbUpdate must be decided first).
void ApplyEdition(Session& s, const std::wstring& editionId);
// The character constants every message is built with.
void SetCharacterConstants(Session& s);

}  // namespace vtr
