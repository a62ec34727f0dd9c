// The drawing objects of the wizard's window: screen colours, the message font, fonts, brushes.
#include "wizard/win32/gdi_objects.h"

#include "platform/win32/win32_strings.h"
#include "wizard/win32/window_metrics.h"

namespace vtr::win32 {
namespace {

int SystemColourIndex(SystemColour colour) {
  switch (colour) {
    case SystemColour::WindowText:
      return COLOR_WINDOWTEXT;
    case SystemColour::ButtonText:
      return COLOR_BTNTEXT;
    case SystemColour::ButtonFace:
      return COLOR_BTNFACE;
    case SystemColour::Window:
      return COLOR_WINDOW;
    case SystemColour::None:
      break;
  }
  return -1;
}

}  // namespace

COLORREF ScreenColour(const Colour& colour) {
  const int index = SystemColourIndex(colour.system);
  return index >= 0 ? ::GetSysColor(index) : RGB(colour.red, colour.green, colour.blue);
}

bool HighContrastOn() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof(contrast);
  return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, contrast.cbSize, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

LOGFONTW MessageFont(int dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  // Windows 10 gives the metrics for any DPI; before it they come for the screen's DPI.
  using ForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  const auto forDpi =
      ProcAddress<ForDpiFn>(::GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi");
  if (forDpi != nullptr &&
      forDpi(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0, static_cast<UINT>(dpi))) {
    return metrics.lfMessageFont;
  }
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
    metrics.lfMessageFont.lfHeight = ::MulDiv(metrics.lfMessageFont.lfHeight, dpi, ScreenDpi());
    return metrics.lfMessageFont;
  }
  LOGFONTW fallback{};
  fallback.lfHeight = -::MulDiv(8, dpi, 72);
  fallback.lfWeight = FW_NORMAL;
  fallback.lfCharSet = DEFAULT_CHARSET;
  ::lstrcpynW(fallback.lfFaceName, L"MS Shell Dlg", LF_FACESIZE);
  return fallback;
}

void FontSet::Reset(int dpi) {
  fonts_.clear();
  dpi_ = dpi;
  haveBase_ = false;
}

HFONT FontSet::Get(int points, bool bold) {
  const auto key = std::make_pair(points, bold);
  const auto found = fonts_.find(key);
  if (found != fonts_.end()) {
    return static_cast<HFONT>(found->second.get());
  }
  if (!haveBase_) {
    base_ = MessageFont(dpi_);
    haveBase_ = true;
  }
  // The user's typeface, in the size and weight the form asks for.
  LOGFONTW font = base_;
  font.lfHeight = -::MulDiv(points, dpi_, 72);
  font.lfWidth = 0;
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = FALSE;
  font.lfUnderline = FALSE;
  font.lfStrikeOut = FALSE;
  UniqueGdiObject made(::CreateFontIndirectW(&font));
  if (!made) {
    return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  }
  HFONT handle = static_cast<HFONT>(made.get());
  fonts_.emplace(key, std::move(made));
  return handle;
}

HBRUSH BrushSet::Get(const Colour& colour) {
  const int index = SystemColourIndex(colour.system);
  if (index >= 0) {
    return ::GetSysColorBrush(index);
  }
  const COLORREF rgb = ScreenColour(colour);
  const auto found = brushes_.find(rgb);
  if (found != brushes_.end()) {
    return static_cast<HBRUSH>(found->second.get());
  }
  UniqueGdiObject made(::CreateSolidBrush(rgb));
  HBRUSH handle = static_cast<HBRUSH>(made.get());
  if (handle == nullptr) {
    return ::GetSysColorBrush(COLOR_BTNFACE);
  }
  brushes_.emplace(rgb, std::move(made));
  return handle;
}

}  // namespace vtr::win32
