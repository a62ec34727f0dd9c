#include "boxes.h"

#include "window_text.h"

namespace vtrdrive {

const wchar_t* KindName(BoxKind kind) {
  switch (kind) {
    case BoxKind::Message:
      return L"message";
    case BoxKind::Input:
      return L"input";
    case BoxKind::Dialog:
      break;
  }
  return L"window";
}

std::wstring StripAccessKey(const std::wstring& caption) {
  std::wstring out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&') {
      if (i + 1 < caption.size() && caption[i + 1] == L'&') {
        out += L'&';
        ++i;
      }
      continue;
    }
    out += caption[i];
  }
  return out;
}

namespace {

bool IsPushButton(HWND window) {
  if (ClassName(window) != L"Button" || !IsWindowVisible(window)) {
    return false;
  }
  const LONG type = GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

int DefaultId(HWND dialog) {
  DWORD_PTR result = 0;
  if (SendMessageTimeoutW(dialog, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) &&
      HIWORD(result) == DC_HASDEFID) {
    return LOWORD(result);
  }
  return -1;
}

bool SameCaption(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

Box ReadBox(HWND window) {
  Box box;
  box.window = window;
  box.title = WindowText(window);
  const int defaultId = DefaultId(window);
  HWND messageText = nullptr;
  HWND prompt = nullptr;
  for (HWND child : ChildWindows(window)) {
    const int id = GetDlgCtrlID(child);
    if (IsPushButton(child)) {
      Button b;
      b.window = child;
      b.id = id;
      b.caption = StripAccessKey(WindowText(child));
      const LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
      b.isDefault = defaultId >= 0 ? id == defaultId : type == BS_DEFPUSHBUTTON;
      box.buttons.push_back(b);
    } else if (id == kMessageTextId && ClassName(child) == L"Static") {
      messageText = child;
    } else if (id == kInputPromptId && ClassName(child) == L"Static") {
      prompt = child;
    } else if (id == kInputEditId && ClassName(child) == L"Edit") {
      box.edit = child;
    }
  }
  if (ClassName(window) != L"#32770") {
    box.kind = BoxKind::Dialog;
  } else if (prompt != nullptr && box.edit != nullptr) {
    box.kind = BoxKind::Input;
    box.text = WindowText(prompt);
    box.defaultText = WindowText(box.edit);
  } else if (messageText != nullptr) {
    box.kind = BoxKind::Message;
    box.text = WindowText(messageText);
  }
  return box;
}

const Button* FindButton(const Box& box, const std::wstring& caption) {
  const std::wstring wanted = StripAccessKey(caption);
  for (const Button& b : box.buttons) {
    if (SameCaption(b.caption, wanted)) {
      return &b;
    }
  }
  return nullptr;
}

const Button* FindButtonById(const Box& box, int id) {
  for (const Button& b : box.buttons) {
    if (b.id == id) {
      return &b;
    }
  }
  return nullptr;
}

const Button* DefaultButton(const Box& box) {
  for (const Button& b : box.buttons) {
    if (b.isDefault) {
      return &b;
    }
  }
  return box.buttons.empty() ? nullptr : &box.buttons.front();
}

void Press(const Button& button) {
  // A message box only takes a click when it is the active window, as a user's click would
  // make it.
  SetForegroundWindow(GetAncestor(button.window, GA_ROOT));
  PostMessageW(button.window, BM_CLICK, 0, 0);
}

}  // namespace vtrdrive

namespace vtrdrive {

void CloseWithCloseBox(HWND window) {
  PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

}  // namespace vtrdrive
