#include "startup/setup_log.h"

#include <cstdio>

#include "engine/outcome.h"
#include "util/text.h"

namespace vtr {
namespace {

constexpr wchar_t kLogName[] = L"VTR Setup.log";

std::wstring RunMode(const Edition& e, const RunOptions& o) {
  std::wstring mode = e.gbUpdate ? L"update" : L"full install";
  mode += o.gbPlan ? L", plan only" : o.gbSilent ? L", silent" : L", wizard";
  if (o.gbDebug) {
    mode += L", debug";
  }
  return mode;
}

}  // namespace

std::wstring FormatTime(const LocalTime& t) {
  wchar_t text[32];
  std::swprintf(text, 32, L"%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

void SetupLog::Start() {
  if (state_ != State::Waiting) {
    return;
  }
  std::vector<std::wstring> waiting;
  waiting.swap(waiting_);
  if (!o_.gbLog) {
    state_ = State::Off;
    return;
  }
  std::wstring folder;
  try {
    folder = p_.TempFolder();
  } catch (const RunError&) {
    folder.clear();  // reported below as a missing folder
  }
  if (folder.empty()) {
    state_ = State::Off;
    p_.WriteStandardError(
        L"VTR Setup: the setup log cannot be written: Windows names no temporary folder. The "
        L"run goes on without it.");
    return;
  }
  path_ = folder + L"\\" + kLogName;
  state_ = State::On;
  o_.gsLogFolder = folder;

  std::vector<std::wstring> header;
  try {
    const AppVersion v = p_.OwnVersion();
    header = {L"==== " + p_.OwnTitle() + L" " + std::to_wstring(v.major) + L"." +
                  std::to_wstring(v.minor) + L"." + std::to_wstring(v.revision) + L", " +
                  TimeNow() + L" ====",
              L"program: " + p_.OwnFolder() + L"\\" + p_.OwnFileName() + L".exe",
              L"command line: " + p_.CommandLine()};
  } catch (const RunError& e) {
    // The log still opens its block when the program cannot name itself.
    header = {L"==== VTR Setup, " + TimeNow() + L" ====",
              L"program: unknown (" + DescribeError(e.description, e.number) + L")"};
  }
  header.push_back(L"run mode: " + RunMode(e_, o_));
  header.push_back(L"edition: " + e_.gsEditionID + (e_.gbPro ? L" (Professional)" : L" (Lite)") +
                   L", version " + e_.gsVersion);
  for (const std::wstring& line : header) {
    Append(line);
  }
  for (const std::wstring& line : waiting) {
    Append(line);
  }
}

void SetupLog::Write(const std::wstring& line) {
  switch (state_) {
    case State::Waiting:
      waiting_.push_back(line);
      break;
    case State::On:
      Append(line);
      break;
    case State::Off:
      break;
  }
}

void SetupLog::Finish(int exitCode) {
  Start();  // a run that ends before its command line was read still closes its block
  if (state_ != State::On) {
    return;
  }
  Append(L"exit code: " + std::to_wstring(exitCode) + L" (" + ExitCodeMeaning(exitCode) + L")");
  Append(L"==== ended " + TimeNow() + L" ====");
}

std::wstring SetupLog::TimeNow() {
  try {
    return FormatTime(p_.Now());
  } catch (const RunError&) {
    return L"(the time could not be read)";
  }
}

void SetupLog::Append(const std::wstring& line) {
  if (state_ != State::On) {
    return;
  }
  try {
    p_.AppendLine(path_, line);
  } catch (const RunError& e) {
    // The run matters more than its log: give the log up, and Windows Installer's too, since
    // they would go to the same folder.
    state_ = State::Off;
    o_.gsLogFolder.clear();
    p_.WriteStandardError(L"VTR Setup: the setup log " + path_ + L" cannot be written: " +
                          DescribeError(e.description, e.number) +
                          L". The run goes on without it.");
  }
}

}  // namespace vtr
