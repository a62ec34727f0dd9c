// The setup log (keyword LOG): "VTR Setup.log" in the user's temporary folder or the folder
// LOG="<folder>" names, appended to, one block per run and one event a line, each line
// beginning with the run's id, for an administrator to read or grep.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "detect/run_setup.h"
#include "platform/platform.h"

namespace vtr {

class SetupLog {
 public:
  // Reads the edition and options as start-up fills them; sets the options' log folder.
  SetupLog(const Edition& e, RunOptions& o, Platform& p) : e_(e), o_(o), p_(p) {}

  // Called once the command line is read: with LOG the log starts (the run's header, then the
  // lines written so far); without it those lines are forgotten and nothing more is kept.
  void Start();
  // One event. Before Start the line waits; a log that cannot be written is given up, with a
  // note on standard error, and never stops or changes the run.
  void Write(const std::wstring& line);
  // The run's last line: its exit code and the time.
  void Finish(int exitCode);

 private:
  enum class State { Waiting, On, Off };
  void Append(const std::wstring& line);
  // The user's temporary folder; "" after a line on standard error when Windows names none.
  std::wstring TempLogFolder();
  // The folder LOG="<folder>" names, made when missing (the folders above it too); "" after
  // a line on standard error when it is no full path or cannot be made.
  std::wstring AskedLogFolder();
  // The local time for the block's first and last lines; a clock that cannot be read is named.
  std::wstring TimeNow();

  const Edition& e_;
  RunOptions& o_;
  Platform& p_;
  State state_ = State::Waiting;
  std::vector<std::wstring> waiting_;
  std::wstring path_;
};

// "2024-05-01 10:22:33".
std::wstring FormatTime(const LocalTime& t);

}  // namespace vtr
