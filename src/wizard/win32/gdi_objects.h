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

// The screen's device context for measuring, released when it goes.
class ScreenDc {
 public:
  ScreenDc() : dc_(::GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) {
      ::ReleaseDC(nullptr, dc_);
    }
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// A memory device context, deleted when it goes.
class MemoryDc {
 public:
  explicit MemoryDc(HDC like) : dc_(::CreateCompatibleDC(like)) {}
  ~MemoryDc() {
    if (dc_ != nullptr) {
      ::DeleteDC(dc_);
    }
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// An object selected into a device context for as long as this lives; the one it replaced
// goes back afterwards.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object)
      : dc_(dc), old_(dc != nullptr ? ::SelectObject(dc, object) : nullptr) {}
  ~Selected() {
    if (dc_ != nullptr && old_ != nullptr) {
      ::SelectObject(dc_, old_);
    }
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;
  bool ok() const { return old_ != nullptr; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Painting a window: BeginPaint now, EndPaint when this goes.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~PaintScope() { ::EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

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
