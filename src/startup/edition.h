// What follows from the edition ID fixed into the build and from the run mode.
#pragma once

#include <string>

namespace vtr {

struct Edition {
  bool pro = false;          // Professional; false is the Lite edition
  bool workstation = false;  // a workstation edition, which needs the ACE database engine
  std::wstring exeName;      // the product's main executable
  std::wstring prodId;       // Windows Installer product code of the program package
  std::wstring dbProdId;     // ... of the database package (the update build is another product)
};

Edition EditionFor(const std::wstring& editionId, bool update);

}  // namespace vtr
