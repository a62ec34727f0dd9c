// The drawing objects the wizard's window holds: owners for fonts, brushes, bitmaps and the
// window itself, the fonts of the form at the window's DPI, and one brush per colour.
#pragma once

#include <windows.h>

#include <map>
#include <utility>

#include "platform/win32/unique_resources.h"
#include "platform/window_view.h"

namespace vtr::win32 {

struct GdiObjectTraits {
  using Type = HGDIOBJ;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DeleteObject(h); }
};
struct WindowTraits {
  using Type = HWND;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DestroyWindow(h); }
};
using UniqueGdiObject = UniqueResource<GdiObjectTraits>;
using UniqueWindow = UniqueResource<WindowTraits>;

// The colour on screen; system colours follow the user's scheme.
COLORREF ScreenColour(const Colour& colour);

// Whether the user runs a high-contrast scheme; the form's own colours then give way to the
// user's, so the text stays readable.
bool HighContrastOn();

// The typeface of message boxes at a DPI: the user's choice, and what the form's controls
// use in the sizes and weights the form gives.
LOGFONTW MessageFont(int dpi);

// The form's fonts at one DPI, one per size and weight, made when first asked for.
class FontSet {
 public:
  // Drops every font; later requests make them anew for this DPI and the current typeface.
  void Reset(int dpi);
  HFONT Get(int points, bool bold);

 private:
  int dpi_ = 96;
  LOGFONTW base_{};
  bool haveBase_ = false;
  std::map<std::pair<int, bool>, UniqueGdiObject> fonts_;
};

// One brush per colour; system colours use the system's own brushes.
class BrushSet {
 public:
  HBRUSH Get(const Colour& colour);
  void Reset() { brushes_.clear(); }

 private:
  std::map<COLORREF, UniqueGdiObject> brushes_;
};

}  // namespace vtr::win32
