// vtr3.exe for the demo and test packages: a stand-in for the product that shows one window
// naming the edition and version it was built as, so a launch after an install can be seen.
// When the environment variable VTR_DEMO_RECORD names a file, it also appends one line to it
// saying where it ran from and how it was started, so a test can tell that it was launched.
#include <windows.h>

#include <string>

namespace {

constexpr const wchar_t* kRecordVariable = L"VTR_DEMO_RECORD";

std::wstring JsonText(const std::wstring& text) {
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    if (c == L'"' || c == L'\\') {
      out += L'\\';
      out += c;
    } else if (c < 0x20) {
      out += L' ';
    } else {
      out += c;
    }
  }
  return out + L"\"";
}

std::wstring OwnPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring CurrentFolder() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  std::wstring folder(size, L'\0');
  folder.resize(GetCurrentDirectoryW(size, folder.data()));
  return folder;
}

// An open file, closed when it goes out of scope.
struct File {
  explicit File(HANDLE h) : handle(h) {}
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() {
    if (handle != INVALID_HANDLE_VALUE) {
      CloseHandle(handle);
    }
  }
  HANDLE handle;
};

// One line of UTF-8 JSON: {"program": ..., "command_line": ..., "folder": ...}.
void RecordStart() {
  wchar_t file[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(kRecordVariable, file, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return;
  }
  const std::wstring line = L"{\"program\": " + JsonText(OwnPath()) + L", \"command_line\": " +
                            JsonText(GetCommandLineW()) + L", \"folder\": " +
                            JsonText(CurrentFolder()) + L"}\n";
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), utf8.data(), bytes,
                      nullptr, nullptr);
  const File out(CreateFileW(file, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (out.handle == INVALID_HANDLE_VALUE) {
    return;
  }
  DWORD written = 0;
  WriteFile(out.handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

// The window's text, set per package by the build.
constexpr const wchar_t* kText = VTR_DEMO_TEXT;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT area;
      GetClientRect(window, &area);
      SetBkMode(dc, TRANSPARENT);
      HGDIOBJ previous = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
      DrawTextW(dc, kText, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      SelectObject(dc, previous);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  RecordStart();
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = L"VantoraContactManagementDemo";
  if (RegisterClassW(&windowClass) == 0) {
    return 1;
  }
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Vantora Contact Management",
                                WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 480, 200,
                                nullptr, nullptr, instance, nullptr);
  if (window == nullptr) {
    return 1;
  }
  ShowWindow(window, show);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
