// An in-memory dialog template, for dialogs that Windows does not offer ready-made.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vtr::win32 {

// The predefined window classes a template can name by number.
enum class DialogControlClass : WORD { Button = 0x80, Edit = 0x81, Static = 0x82 };

// Positions and sizes are in dialog units, as in a resource script.
struct DialogRect {
  short x = 0;
  short y = 0;
  short width = 0;
  short height = 0;
};

class DialogTemplate {
 public:
  // A dialog of the standard class "#32770" in the given font.
  DialogTemplate(DWORD style, DialogRect rect, const std::wstring& title, WORD fontPoints,
                 const wchar_t* fontFace);

  void AddControl(WORD id, DialogControlClass controlClass, DWORD style, DialogRect rect,
                  const std::wstring& text);

  // Valid until the next AddControl.
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void AddWord(WORD value) { words_.push_back(value); }
  void AddDword(DWORD value);
  void AddRect(DialogRect rect);
  void AddText(const std::wstring& text);
  void AlignToDword();

  std::vector<WORD> words_;
};

}  // namespace vtr::win32
