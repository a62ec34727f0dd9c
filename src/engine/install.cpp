#include "engine/install.h"

namespace vtr {

// The install engine is being built; until it lands a silent run installs nothing and says
// so, rather than pretending to have succeeded.
bool SYS_Install(Session& s, Platform& p, bool&, bool&, bool&, bool&, bool&, bool&, bool&) {
  p.MsgBox(L"SYS_Install: the install engine is not available in this build." + s.gsCR,
           MsgButtons::Ok, MsgIcon::Critical, std::nullopt);
  return false;
}

}  // namespace vtr
