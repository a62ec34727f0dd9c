// The platform as start-up hands it to the rest of the program. It passes every operation on
// to Windows, and on the way writes every box, process, shell call and product query to the
// setup log, and answers the boxes of a run that no person can answer.
#pragma once

#include <string>

#include "detect/run_setup.h"
#include "platform/platform.h"
#include "startup/setup_log.h"

namespace vtr {

class SetupPlatform final : public Platform {
 public:
  SetupPlatform(const Edition& e, RunOptions& o, Platform& windows)
      : o_(o), windows_(windows), log_(e, o, windows) {}
  SetupPlatform(const SetupPlatform&) = delete;
  SetupPlatform& operator=(const SetupPlatform&) = delete;

  SetupLog& Log() { return log_; }
  // From now on only a silent run is answered unattended. Before this, nobody knows yet
  // whether the run is silent, and a box then (the usage box, the developer's question) is
  // answered unattended whenever no person can answer, so it never waits for ever.
  void CommandLineRead();

  MsgAnswer MsgBox(const std::wstring& text, MsgButtons buttons, MsgIcon icon,
                   const std::optional<std::wstring>& title) override;
  std::wstring InputBox(const std::wstring& prompt, const std::wstring& title,
                        const std::wstring& defaultText) override;
  void SetMousePointer(MousePointer pointer) override { windows_.SetMousePointer(pointer); }

  std::wstring OwnFileName() override { return windows_.OwnFileName(); }
  std::wstring OwnFolder() override { return windows_.OwnFolder(); }
  std::wstring OwnTitle() override { return windows_.OwnTitle(); }
  AppVersion OwnVersion() override { return windows_.OwnVersion(); }
  std::wstring CommandLine() override { return windows_.CommandLine(); }
  WindowView& WizardView() override { return windows_.WizardView(); }
  void RunEventLoop(const std::function<bool()>& done) override { windows_.RunEventLoop(done); }

  std::wstring GetSetting(const std::wstring& application, const std::wstring& section,
                          const std::wstring& key, const std::wstring& defaultValue) override {
    return windows_.GetSetting(application, section, key, defaultValue);
  }
  void SaveSetting(const std::wstring& application, const std::wstring& section,
                   const std::wstring& key, const std::wstring& value) override {
    windows_.SaveSetting(application, section, key, value);
  }
  void DeleteSetting(const std::wstring& application, const std::wstring& section,
                     const std::wstring& key) override {
    windows_.DeleteSetting(application, section, key);
  }

  std::optional<RegistryValue> GetRegistryValue(RegistryHive hive, const std::wstring& key,
                                                const std::wstring& name) override {
    return windows_.GetRegistryValue(hive, key, name);
  }
  void SetRegistryValue(RegistryHive hive, const std::wstring& key, const std::wstring& name,
                        const RegistryValue& value) override {
    windows_.SetRegistryValue(hive, key, name, value);
  }
  void DeleteRegistryValue(RegistryHive hive, const std::wstring& key,
                           const std::wstring& name) override {
    windows_.DeleteRegistryValue(hive, key, name);
  }
  void DeleteRegistryKey(RegistryHive hive, const std::wstring& key) override {
    windows_.DeleteRegistryKey(hive, key);
  }
  bool CanWriteRegistryKey(RegistryHive hive, const std::wstring& key) override {
    return windows_.CanWriteRegistryKey(hive, key);
  }

  std::wstring FindFirst(const std::wstring& pathOrPattern, int attributes) override {
    return windows_.FindFirst(pathOrPattern, attributes);
  }
  std::wstring FindNext() override { return windows_.FindNext(); }
  void MakeFolder(const std::wstring& path) override { windows_.MakeFolder(path); }
  void CreateEmptyFile(const std::wstring& path) override { windows_.CreateEmptyFile(path); }
  bool MoveFileTo(const std::wstring& existingPath, const std::wstring& newPath) override {
    return windows_.MoveFileTo(existingPath, newPath);
  }
  std::unique_ptr<HeldFile> HoldFile(const std::wstring& path, bool digest) override {
    return windows_.HoldFile(path, digest);
  }
  std::wstring RecordedPackageDigests() override { return windows_.RecordedPackageDigests(); }

  void MakeProtectedFolder(const std::wstring& path) override {
    windows_.MakeProtectedFolder(path);
  }
  bool PathHasLink(const std::wstring& path) override { return windows_.PathHasLink(path); }
  std::optional<uint64_t> FileSize(const std::wstring& path) override {
    return windows_.FileSize(path);
  }
  std::optional<uint64_t> FolderSize(const std::wstring& folder) override {
    return windows_.FolderSize(folder);
  }
  std::unique_ptr<HeldFile> CopyIntoFolder(const std::wstring& source, const std::wstring& folder,
                                           const std::wstring& name) override {
    return windows_.CopyIntoFolder(source, folder, name);
  }
  void RemoveFile(const std::wstring& path) override { windows_.RemoveFile(path); }
  void RemoveFolderTree(const std::wstring& path) override { windows_.RemoveFolderTree(path); }
  void DeleteAtRestart(const std::wstring& path) override { windows_.DeleteAtRestart(path); }
  void SetCurrentFolder(const std::wstring& path) override { windows_.SetCurrentFolder(path); }

  std::unique_ptr<ChildProcess> StartProcess(const std::wstring& applicationPath,
                                             const std::wstring& commandLine,
                                             const std::wstring& workFolder) override;
  DesktopLaunch StartAsDesktopUser(const std::wstring& program,
                                   const std::wstring& workFolder) override;

  OsVersionRecord OsVersion() override { return windows_.OsVersion(); }
  std::optional<std::wstring> FolderPath(int csidl) override { return windows_.FolderPath(csidl); }
  std::wstring SpecialFolderPath(int csidl) override { return windows_.SpecialFolderPath(csidl); }
  std::wstring SystemFolder() override { return windows_.SystemFolder(); }
  std::optional<std::wstring> BrowseForFolder(const std::wstring& title,
                                              bool programFilesRoot) override {
    return windows_.BrowseForFolder(title, programFilesRoot);
  }

  std::unique_ptr<InstallerObject> CreateInstaller() override;

  bool PersonCanAnswer() override;
  void WriteStandardError(const std::wstring& line) override { windows_.WriteStandardError(line); }
  // The plan's listing goes to standard output and, with LOG, into the setup log.
  void WriteStandardOutput(const std::wstring& line) override {
    windows_.WriteStandardOutput(line);
    log_.Write(line);
  }
  void WriteLog(const std::wstring& line) override { log_.Write(line); }
  std::wstring TempFolder() override { return windows_.TempFolder(); }
  bool RunsElevated() override { return windows_.RunsElevated(); }
  std::wstring SystemTempFolder() override { return windows_.SystemTempFolder(); }
  std::unique_ptr<LogFile> CreateLogFile(const std::wstring& path) override {
    return windows_.CreateLogFile(path);
  }
  LocalTime Now() override { return windows_.Now(); }
  ProcessIdentity Identity() override { return windows_.Identity(); }

  // Polled while waiting: the wait itself says in the log when it starts and how it ends.
  bool NamedMutexExists(const std::wstring& name) override {
    return windows_.NamedMutexExists(name);
  }
  std::unique_ptr<HeldMutex> ClaimNamedMutex(const std::wstring& name) override {
    return windows_.ClaimNamedMutex(name);
  }
  void Pause(int32_t milliseconds) override { windows_.Pause(milliseconds); }
  bool ProgramRuns(const std::wstring& programPath) override {
    return windows_.ProgramRuns(programPath);
  }

 private:
  // True when this box is to get its cautious answer instead of being shown.
  bool Unattended();
  // A box answered without a person: on standard error and in the log.
  void ReportUnattended(const std::wstring& what);

  const RunOptions& o_;
  Platform& windows_;
  SetupLog log_;
  bool commandLineRead_ = false;
  std::optional<bool> personCanAnswer_;  // asked once, at the first box that needs it
};

}  // namespace vtr
