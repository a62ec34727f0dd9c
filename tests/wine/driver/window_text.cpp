#include "window_text.h"

namespace vtrdrive {

namespace {

constexpr UINT kAnswerMs = 5000;

BOOL CALLBACK CollectChild(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

struct WindowSearch {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM search) {
  auto* s = reinterpret_cast<WindowSearch*>(search);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == s->processId && IsWindowVisible(window)) {
    s->found.push_back(window);
  }
  return TRUE;
}

}  // namespace

std::wstring WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &length)) {
    return {};
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kAnswerMs, &copied)) {
    return {};
  }
  text.resize(copied < length ? copied : length);
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  int length = GetClassNameW(window, name, 256);
  return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId, HDESK desktop) {
  WindowSearch search{processId, {}};
  if (desktop != nullptr) {
    EnumDesktopWindows(desktop, CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  } else {
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  }
  return search.found;
}

bool SetWindowTextRemote(HWND window, const std::wstring& text) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, kAnswerMs, &result) != 0 &&
         result != 0;
}

}  // namespace vtrdrive
