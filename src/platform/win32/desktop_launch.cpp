// Starting a program as the desktop's user: through the desktop's shell, else as a child.
#include <windows.h>

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include <vector>

#include "platform/win32/win32_platform.h"

namespace vtr::win32 {
namespace {

std::wstring Failed(const wchar_t* what, HRESULT hr) {
  wchar_t code[16];
  ::wsprintfW(code, L"0x%08lX", static_cast<unsigned long>(hr));
  return std::wstring(what) + L" failed (" + code + L")";
}

// A VARIANT holding a text, cleared when it goes.
class TextVariant {
 public:
  explicit TextVariant(const std::wstring& text) {
    ::VariantInit(value_.get());
    value_.get()->vt = VT_BSTR;
    value_.get()->bstrVal = ::SysAllocString(text.c_str());
  }
  VARIANT Value() { return *value_.get(); }

 private:
  UniqueVariant value_;
};

// The desktop's shell dispatch object, as the shell window hands it out: its shell window
// (ShellWindows' desktop), the browser behind it, the view it shows, the view's automation
// object and that object's Application. Empty, with why in detail, when any part is missing;
// noShell tells whether no desktop shell runs at all.
ComPtr<IShellDispatch2> DesktopShell(std::wstring& detail, bool& noShell) {
  noShell = false;
  ComPtr<IShellWindows> windows;
  HRESULT hr = ::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                  IID_IShellWindows, windows.put_void());
  if (FAILED(hr)) {
    noShell = true;
    detail = L"no desktop shell runs: " + Failed(L"creating ShellWindows", hr);
    return {};
  }
  VARIANT location{};
  VARIANT root{};
  ::VariantInit(&location);
  ::VariantInit(&root);
  long window = 0;
  ComPtr<IDispatch> found;
  hr =
      windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, found.put());
  if (hr != S_OK || !found) {
    noShell = true;
    detail = L"no desktop shell runs: ShellWindows has no desktop window";
    return {};
  }
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folderView;
  ComPtr<IDispatch> application;
  ComPtr<IShellDispatch2> shell;
  if (FAILED(hr = found->QueryInterface(IID_IServiceProvider, services.put_void()))) {
    detail = Failed(L"asking the desktop window for its services", hr);
  } else if (FAILED(hr = services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                                browser.put_void()))) {
    detail = Failed(L"asking the desktop for its browser", hr);
  } else if (FAILED(hr = browser->QueryActiveShellView(view.put()))) {
    detail = Failed(L"asking the desktop for its view", hr);
  } else if (FAILED(hr = view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch,
                                             background.put_void()))) {
    detail = Failed(L"asking the desktop's view for its automation object", hr);
  } else if (FAILED(hr = background->QueryInterface(IID_IShellFolderViewDual,
                                                    folderView.put_void()))) {
    detail = Failed(L"asking for the desktop's folder view", hr);
  } else if (FAILED(hr = folderView->get_Application(application.put()))) {
    detail = Failed(L"asking the desktop's folder view for its shell", hr);
  } else if (FAILED(hr = application->QueryInterface(IID_IShellDispatch2, shell.put_void()))) {
    detail = Failed(L"asking for the desktop's shell dispatch object", hr);
  }
  return shell;
}

}  // namespace

DesktopLaunch Win32Platform::StartAsDesktopUser(const std::wstring& program,
                                                const std::wstring& workFolder) {
  DesktopLaunch launch;
  // The desktop's shell would report a missing program in a box of its own.
  if (::GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
    launch.way = LaunchWay::NotFound;
    launch.detail = L"the program is not there (error " + std::to_wstring(::GetLastError()) + L")";
    return launch;
  }
  view_.LoadLibraries(LibrarySet::Shell);
  bool noShell = false;
  const ComPtr<IShellDispatch2> shell = DesktopShell(launch.detail, noShell);
  if (shell) {
    const UniqueBstr file(::SysAllocString(program.c_str()));
    TextVariant none(L"");
    TextVariant folder(workFolder);
    TextVariant verb(L"open");
    VARIANT show{};
    ::VariantInit(&show);
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    const HRESULT hr =
        shell->ShellExecute(file.get(), none.Value(), folder.Value(), verb.Value(), show);
    launch.way = SUCCEEDED(hr) ? LaunchWay::DesktopShell : LaunchWay::NotStarted;
    launch.detail = SUCCEEDED(hr) ? L"" : Failed(L"the desktop shell's ShellExecute", hr);
    return launch;
  }
  if (!noShell) {
    return launch;  // a desktop shell runs but cannot be asked: setup's rights are not lent
  }
  // No desktop shell: the program is setup's own child, by its full path, in its folder.
  std::wstring line = L"\"" + program + L"\"";
  std::vector<wchar_t> commandLine(line.begin(), line.end());
  commandLine.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS, nullptr,
                        workFolder.empty() ? nullptr : workFolder.c_str(), &startup, &started)) {
    launch.detail += L"; CreateProcess failed (error " + std::to_wstring(::GetLastError()) + L")";
    return launch;
  }
  const UniqueHandle process(started.hProcess);
  const UniqueHandle thread(started.hThread);
  launch.way = LaunchWay::OwnProcess;
  return launch;
}

}  // namespace vtr::win32
