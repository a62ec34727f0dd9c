// The name a control goes by in texts: "cmdOpt(0)" for a member of an array.
#include "platform/window_view.h"

namespace vtr {

std::wstring ControlName(const ControlRef& ref) {
  return ref.index < 0 ? ref.name : ref.name + L"(" + std::to_wstring(ref.index) + L")";
}

}  // namespace vtr
