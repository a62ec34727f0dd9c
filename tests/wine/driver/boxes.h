// The boxes a user meets while the setup program runs: message boxes, the setup program's own
// input box, and any other dialog, read as a user would see them and answered.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vtrdrive {

// The static that holds a message box's text.
inline constexpr int kMessageTextId = 0xFFFF;
// The input box: a static holding the prompt and the edit the user types into.
inline constexpr int kInputPromptId = 1000;
inline constexpr int kInputEditId = 1001;

enum class BoxKind { Message, Input, Dialog };
// True for the windows the driver answers: message boxes and input boxes.
inline bool IsAnswerable(BoxKind kind) {
  return kind != BoxKind::Dialog;
}

struct Button {
  HWND window = nullptr;
  int id = 0;
  std::wstring caption;  // as shown, with the "&" of its access key left out
  bool isDefault = false;
};

struct Box {
  HWND window = nullptr;
  BoxKind kind = BoxKind::Dialog;
  std::wstring title;
  std::wstring text;         // message text, or the input box's prompt
  std::wstring defaultText;  // input box only: what the edit held when it appeared
  HWND edit = nullptr;       // input box only
  std::vector<Button> buttons;
};

const wchar_t* KindName(BoxKind kind);
// A caption without its access-key marks: "&Yes" gives "Yes", "&&" gives "&".
std::wstring StripAccessKey(const std::wstring& caption);
// Reads a top-level window as a box: a message box or an input box when it is one, else a
// plain window or dialog (kind Dialog).
Box ReadBox(HWND window);
// The button whose caption matches (ignoring case and access-key marks), or null.
const Button* FindButton(const Box& box, const std::wstring& caption);
const Button* FindButtonById(const Box& box, int id);
// The button Enter would press.
const Button* DefaultButton(const Box& box);
// Clicks the button as the mouse would.
void Press(const Button& button);
// Closes a window with its close box.
void CloseWithCloseBox(HWND window);

}  // namespace vtrdrive
