// The simulated machine behind SimPlatform: the scenario's state as the program changes it,
// and the transcript of every call. Child processes and the installer object keep a weak
// reference to it, so one that outlives its platform does no harm.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/platform.h"
#include "sim/file_system.h"
#include "sim/scenario.h"

namespace vtr::sim {

using Line = nlohmann::ordered_json;

class Machine : public std::enable_shared_from_this<Machine> {
 public:
  explicit Machine(Scenario scenario);

  const Scenario& Setup() const { return scenario_; }
  FileSystem& Files() { return files_; }
  const FileSystem& Files() const { return files_; }
  SettingsTable& Settings() { return settings_; }
  const SettingsTable& Settings() const { return settings_; }
  RegistryTable& Registry() { return registry_; }
  const RegistryTable& Registry() const { return registry_; }
  NoCaseTable<int32_t>& ProductStates() { return productStates_; }
  const NoCaseTable<int32_t>& ProductStates() const { return productStates_; }

  // Records a call and counts it. A fault scripted for this call is recorded as raised and
  // thrown, or, when it gives a result, kept for Forced. Returns the transcript line's index
  // for Result and Note.
  std::size_t Begin(const char* op, std::optional<Line> args = std::nullopt);
  // The result a fault makes the call of this line answer instead of its own, if any.
  const nlohmann::json* Forced(std::size_t line) const;
  void Result(std::size_t line, Line value);
  void Note(std::size_t line, const char* key, Line value);
  // Records a line that is not a call (a user's event, a snapshot); returns its index.
  std::size_t Append(Line line);
  // Records the error as the call's outcome and throws it.
  [[noreturn]] void Raise(std::size_t line, const RunError& error);

  // A dialog answered from the script: its next answer of that kind, if any is left.
  std::optional<MsgAnswer> NextMsgBoxAnswer();
  std::optional<std::optional<std::wstring>> NextInputBoxAnswer();
  std::optional<std::optional<std::wstring>> NextFolderPickerAnswer();
  // The user's next event at the wizard window, with its place in the script, if any is left.
  const UserEvent* NextEvent();
  std::size_t EventsPlayed() const { return eventsUsed_; }
  void CountUnscripted() { ++unscripted_; }
  void ScenarioError(std::string message) { scenarioErrors_.push_back(std::move(message)); }

  // A poll of a named mutex: true while another process holds it (each poll counts down the
  // scenario's polls), or while this program holds it.
  bool MutexTaken(const std::wstring& name);
  // The program holds a mutex until it lets go of it.
  void HoldMutex(const std::wstring& name) { held_.insert(name); }
  void ReleaseMutex(const std::wstring& name) { held_.erase(name); }

  // A look whether a program file runs: true while the scenario says it does (each look
  // counts down its looks).
  bool ProgramRunning(const std::wstring& path);

  // The simulated clock: the scenario's "now" plus the time the program paused.
  void Advance(int32_t milliseconds);
  LocalTime Clock() const;
  // A wait polls the same questions again and again: once a block of calls that ends in a
  // Pause repeats the block before it, it is counted on one line instead of written again.
  void FoldRepeats();

  // Starts a process by the first matching rule; its number, or nothing when it did not start.
  std::optional<int> StartProcess(const std::wstring& applicationPath,
                                  const std::wstring& commandLine);
  // Ends a process: its rule's effects happen now, once.
  void EndProcess(int process);
  std::optional<uint32_t> ExitCodeOf(int process) const;
  // True when the scenario makes waiting for this process fail.
  bool WaitFails(int process) const;

  // A copy answers as the file it was copied from: its package's codes, its digest.
  void RecordCopy(const std::wstring& copy, const std::wstring& source) {
    copiedFrom_.Set(copy, OriginalOf(source));
  }
  std::wstring OriginalOf(const std::wstring& path) const {
    const std::wstring* source = copiedFrom_.Find(path);
    return source != nullptr ? *source : path;
  }

  const std::vector<Line>& Transcript() const { return transcript_; }
  int Unscripted() const { return unscripted_; }
  const std::vector<std::string>& ScenarioErrors() const { return scenarioErrors_; }
  std::vector<std::string> UnusedAnswers() const;
  // The scripting mistake of events left over when the run ended, if any.
  std::optional<std::string> UnplayedEvents() const;

 private:
  struct Process {
    const ProcessRule* rule = nullptr;  // null: no rule matched
    bool ended = false;
  };

  Scenario scenario_;
  FileSystem files_;
  SettingsTable settings_;
  RegistryTable registry_;
  NoCaseTable<int32_t> productStates_;
  NoCaseTable<std::wstring> copiedFrom_;
  std::vector<Line> transcript_;
  std::map<std::string, int> callCounts_;
  std::map<std::size_t, nlohmann::json> forced_;  // by transcript line
  std::size_t msgboxUsed_ = 0, inputboxUsed_ = 0, pickerUsed_ = 0, eventsUsed_ = 0;
  int unscripted_ = 0;
  std::vector<std::string> scenarioErrors_;
  std::vector<Process> processes_;
  std::map<std::wstring, std::optional<int>> othersHold_;
  std::map<std::wstring, std::optional<int>> running_;
  std::set<std::wstring> held_;
  int64_t pausedMs_ = 0;
};

// JSON text of a wide text.
nlohmann::ordered_json Text(const std::wstring& text);
nlohmann::ordered_json TextOrNull(const std::optional<std::wstring>& text);
// JSON of a registry value: its text, or its number.
nlohmann::ordered_json ValueLine(const RegistryValue& value);

}  // namespace vtr::sim
