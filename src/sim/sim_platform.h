// A whole Windows in memory, played from a scenario, that records every call the program
// makes. vtrsim runs the program against it, and the native tests use it as their platform.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/platform.h"
#include "platform/recording_view.h"

namespace vtr {

namespace sim {
class Machine;
}

class SimPlatform : public Platform {
 public:
  // A scenario that cannot be played throws std::invalid_argument naming the bad field.
  explicit SimPlatform(const nlohmann::json& scenario);
  ~SimPlatform() override;
  SimPlatform(const SimPlatform&) = delete;
  SimPlatform& operator=(const SimPlatform&) = delete;

  // The scenario's "editionId", else the edition this build was made for.
  std::wstring EditionId() const;
  // One line per call, in order: {"op", "args", "result"}, or "raised" instead of a result;
  // "unscripted" and "error" mark dialogs answered without (usable) script.
  const std::vector<nlohmann::ordered_json>& Transcript() const;
  // Whether a transcript line belongs to the part the scenario pins (its "pin" field).
  bool Pins(const nlohmann::ordered_json& line) const;
  // The lines of one operation, in order.
  std::vector<nlohmann::ordered_json> Calls(std::string_view op) const;
  // {"settings": {...}, "files": [...], "productStates": {...}} as the run left them.
  nlohmann::ordered_json FinalState() const;
  // Dialogs that had no scripted answer left and got their default.
  int UnscriptedDialogs() const;
  // Scripting mistakes: an answer that fits no button of its box, an event for a control the
  // form does not have, events left over when the wizard had closed.
  std::vector<std::string> ScenarioErrors() const;
  // The wizard window as the simulated screen shows it.
  const RecordingView& View() const { return view_; }
  // Scripted answers that no dialog asked for.
  std::vector<std::string> UnusedAnswers() const;

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
  void DeleteAtRestart(const std::wstring& path) override;
  void SetCurrentFolder(const std::wstring& path) override;

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
  std::shared_ptr<sim::Machine> machine_;
  RecordingView view_;
};

}  // namespace vtr
