// The setup log (keyword LOG): a new file for each run, one event a line, each line beginning
// with the run's id: "VTR Setup <run id>.log" in the folder LOG="<folder>" names or else in a
// temporary folder (one only administrators can change, for an elevated run), or the file
// LOG="<file>" names.
#pragma once

#include <memory>
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
  // The run's last line: its exit code and the time. The file is closed after it.
  void Finish(int exitCode);

 private:
  enum class State { Waiting, On, Off };
  void Append(const std::wstring& line);
  // The user's temporary folder; "" after a line on standard error when Windows names none.
  std::wstring TempLogFolder();
  // Where LOG without a folder writes. A run without administrator rights writes into the
  // user's own temporary folder. An elevated run never writes where an ordinary user can
  // prepare a file or a link (the user's %TEMP%, the system account's C:\Windows\Temp): it
  // writes into the system account's own temporary folder where Windows has one, else into
  // setup's own folder under ProgramData, made so that only administrators may change it. ""
  // after a line on standard error when there is none.
  std::wstring DefaultLogFolder();
  // The folder LOG="<folder>" names, or the folder of the file LOG="<file>" names (a folder
  // that is there at the file's name is taken as LOG="<folder>", as it always was). A missing one
  // is made (the folders above it too; so that only administrators may change them, in an
  // elevated run); "" after a line on standard error when it is no full path or cannot be made.
  // An existing one that is (or lies below) a link or junction is refused, with a line on
  // standard error: the default folder instead, where the log takes its usual name.
  std::wstring AskedLogFolder();
  // Makes the log's file in the folder: the file LOG named, or "VTR Setup <run id>.log". Where
  // something is at that name already: "<name> <run id>.<ext>" beside the file LOG named, and
  // then (as for the usual name) the next free numbered name. The line that says so when the
  // name moved; a line on standard error and no file when none can be made.
  std::optional<std::wstring> Open(const std::wstring& folder);
  // The local time for the block's first and last lines; a clock that cannot be read is named.
  std::wstring TimeNow();

  const Edition& e_;
  RunOptions& o_;
  Platform& p_;
  State state_ = State::Waiting;
  std::vector<std::wstring> waiting_;
  bool elevated_ = true;
  // The log's folder is one setup made or set so that only administrators may change it.
  bool protectedFolder_ = false;
  std::wstring fileAsked_;         // the name of the file LOG="<file>" asks for; "" for a folder
  std::unique_ptr<LogFile> file_;  // held from Start until Finish
  std::wstring path_;
};

// The name of the file LOG="<path>" asks for: the path's last part where it ends in ".log" or
// ".txt" (in any case), else "" (the path names a folder, also where it ends in a separator).
std::wstring LogFileNamed(const std::wstring& path);

// "2024-05-01 10:22:33".
std::wstring FormatTime(const LocalTime& t);

}  // namespace vtr
