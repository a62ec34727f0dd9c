// The platform operations on real Windows: wide-character APIs throughout, one owner per
// handle, key, COM object and search.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/win32/unique_resources.h"
#include "platform/win32/win32_window_view.h"

namespace vtr::win32 {

// The application title: the title of every box that names none.
inline constexpr wchar_t kApplicationTitle[] = L"VTR Setup";

class Win32Platform final : public Platform {
 public:
  // The window the wizard is drawn in; it must outlive the platform.
  explicit Win32Platform(Win32WindowView& view) : view_(view) {}
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // The window that owns dialogs and the folder picker: the wizard while it is on screen, so
  // it is disabled under them; none before it exists and while it is hidden for a run.
  HWND DialogOwner() const { return view_.DialogOwner(); }
  // The pointer last asked for; a window shows it over itself while it is busy.
  MousePointer CurrentPointer() const { return pointer_; }

  MsgAnswer MsgBox(const std::wstring& text, MsgButtons buttons, MsgIcon icon,
                   const std::optional<std::wstring>& title) override;
  std::wstring InputBox(const std::wstring& prompt, const std::wstring& title,
                        const std::wstring& defaultText) override;
  void SetMousePointer(MousePointer pointer) override;

  std::wstring OwnFileName() override;
  std::wstring OwnFolder() override;
  std::wstring OwnTitle() override;
  AppVersion OwnVersion() override;
  std::wstring CommandLine() override;
  WindowView& WizardView() override;
  void RunEventLoop(const std::function<bool()>& done) override;

  std::wstring GetSetting(const std::wstring& application, const std::wstring& section,
                          const std::wstring& key, const std::wstring& defaultValue) override;
  void SaveSetting(const std::wstring& application, const std::wstring& section,
                   const std::wstring& key, const std::wstring& value) override;
  void DeleteSetting(const std::wstring& application, const std::wstring& section,
                     const std::wstring& key) override;

  std::optional<RegistryValue> GetRegistryValue(RegistryHive hive, const std::wstring& key,
                                                const std::wstring& name) override;
  void SetRegistryValue(RegistryHive hive, const std::wstring& key, const std::wstring& name,
                        const RegistryValue& value) override;
  void DeleteRegistryValue(RegistryHive hive, const std::wstring& key,
                           const std::wstring& name) override;
  void DeleteRegistryKey(RegistryHive hive, const std::wstring& key) override;
  bool CanWriteRegistryKey(RegistryHive hive, const std::wstring& key) override;

  std::wstring FindFirst(const std::wstring& pathOrPattern, int attributes) override;
  std::wstring FindNext() override;
  void MakeFolder(const std::wstring& path) override;
  void CreateEmptyFile(const std::wstring& path) override;
  bool MoveFileTo(const std::wstring& existingPath, const std::wstring& newPath) override;
  void DeleteAtRestart(const std::wstring& path) override;
  void SetCurrentFolder(const std::wstring& path) override;
  std::unique_ptr<HeldFile> HoldFile(const std::wstring& path, bool digest) override;
  std::wstring RecordedPackageDigests() override;

  void MakeProtectedFolder(const std::wstring& path) override;
  bool PathHasLink(const std::wstring& path) override;
  std::optional<uint64_t> FileSize(const std::wstring& path) override;
  std::optional<uint64_t> FolderSize(const std::wstring& folder) override;
  std::unique_ptr<HeldFile> CopyIntoFolder(const std::wstring& source, const std::wstring& folder,
                                           const std::wstring& name) override;
  void RemoveFile(const std::wstring& path) override;
  void RemoveFolderTree(const std::wstring& path) override;

  std::unique_ptr<ChildProcess> StartProcess(const std::wstring& applicationPath,
                                             const std::wstring& commandLine,
                                             const std::wstring& workFolder) override;
  DesktopLaunch StartAsDesktopUser(const std::wstring& program,
                                   const std::wstring& workFolder) override;

  OsVersionRecord OsVersion() override;
  std::optional<std::wstring> FolderPath(int csidl) override;
  std::wstring SpecialFolderPath(int csidl) override;
  std::wstring SystemFolder() override;
  std::optional<std::wstring> BrowseForFolder(const std::wstring& title,
                                              bool programFilesRoot) override;

  std::unique_ptr<InstallerObject> CreateInstaller() override;

  bool PersonCanAnswer() override;
  void WriteStandardError(const std::wstring& line) override;
  void WriteStandardOutput(const std::wstring& line) override;
  std::wstring TempFolder() override;
  bool RunsElevated() override;
  std::wstring SystemTempFolder() override;
  std::unique_ptr<LogFile> CreateLogFile(const std::wstring& path) override;
  LocalTime Now() override;
  ProcessIdentity Identity() override;

  bool NamedMutexExists(const std::wstring& name) override;
  std::unique_ptr<HeldMutex> ClaimNamedMutex(const std::wstring& name) override;
  void Pause(int32_t milliseconds) override;
  bool ProgramRuns(const std::wstring& programPath) override;

 private:
  // Skips entries the search's attribute mask leaves out; "" and the search closed at the end.
  std::wstring NextMatch(WIN32_FIND_DATAW& entry);

  MousePointer pointer_ = MousePointer::Default;
  UniqueFindHandle search_;
  int searchMask_ = 0;
  Win32WindowView& view_;
};

}  // namespace vtr::win32
