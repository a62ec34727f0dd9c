// Building a dialog template in memory, item by item, aligned as Windows reads it.
#include "platform/win32/dialog_template.h"

namespace vtr::win32 {
namespace {

// The control count sits after the style and extended style, two words each.
constexpr size_t kCountIndex = 4;

}  // namespace

DialogTemplate::DialogTemplate(DWORD style, DialogRect rect, const std::wstring& title,
                               WORD fontPoints, const wchar_t* fontFace) {
  AddDword(style | DS_SETFONT);
  AddDword(0);  // extended style
  AddWord(0);   // controls, counted as they are added
  AddRect(rect);
  AddWord(0);  // no menu
  AddWord(0);  // the standard dialog class
  AddText(title);
  AddWord(fontPoints);
  AddText(fontFace);
}

void DialogTemplate::AddControl(WORD id, DialogControlClass controlClass, DWORD style,
                                DialogRect rect, const std::wstring& text) {
  AlignToDword();
  AddDword(style);
  AddDword(0);  // extended style
  AddRect(rect);
  AddWord(id);
  AddWord(0xFFFF);  // the class follows as a predefined number
  AddWord(static_cast<WORD>(controlClass));
  AddText(text);
  AddWord(0);  // no creation data
  ++words_[kCountIndex];
}

void DialogTemplate::AddDword(DWORD value) {
  AddWord(LOWORD(value));
  AddWord(HIWORD(value));
}

void DialogTemplate::AddRect(DialogRect rect) {
  AddWord(static_cast<WORD>(rect.x));
  AddWord(static_cast<WORD>(rect.y));
  AddWord(static_cast<WORD>(rect.width));
  AddWord(static_cast<WORD>(rect.height));
}

void DialogTemplate::AddText(const std::wstring& text) {
  for (wchar_t c : text) {
    AddWord(static_cast<WORD>(c));
  }
  AddWord(0);
}

void DialogTemplate::AlignToDword() {
  // The vector's storage starts DWORD-aligned, so an even word count is a DWORD boundary.
  if (words_.size() % 2 != 0) {
    AddWord(0);
  }
}

}  // namespace vtr::win32
