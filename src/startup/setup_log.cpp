// The setup log: appended to, one block per run and one event a line.
#include "startup/setup_log.h"

#include <cstdio>

#include "engine/outcome.h"
#include "util/paths.h"
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

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// Makes the folder and every missing folder above it; raises the error of the first that
// cannot be made.
void MakeFolders(Platform& p, const std::wstring& folder) {
  if (IsRootFolder(folder) || SYS_FolderExists(p, folder, false)) {
    return;
  }
  const auto cut = folder.find_last_of(L"\\/");
  if (cut != std::wstring::npos && cut > 0) {
    MakeFolders(p, folder.substr(0, cut));
  }
  p.MakeFolder(folder);
}

// "WS01-20240501-102233-4242": the computer, when the run started and which process it is, so
// that no two runs share one, not even runs of many machines logging into one shared folder.
std::wstring MakeRunId(const std::wstring& computer, const std::optional<LocalTime>& t,
                       uint32_t processId) {
  // The id goes into file names and msiexec's command line: only plain characters of the name.
  std::wstring id;
  for (const wchar_t c : computer) {
    const bool plain = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') ||
                       (c >= L'0' && c <= L'9') || c == L'-' || c == L'_';
    id += plain ? c : L'_';
  }
  if (!id.empty()) {
    id += L"-";
  }
  if (t) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%04d%02d%02d-%02d%02d%02d-", t->year, t->month, t->day, t->hour,
                  t->minute, t->second);
    id += text;
  }
  return id + std::to_wstring(processId);
}

std::wstring NameOrUnknown(const std::wstring& name) {
  return name.empty() ? L"(Windows did not say)" : name;
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
  const std::wstring folder = o_.gsLogFolderAsked.empty() ? TempLogFolder() : AskedLogFolder();
  if (folder.empty()) {
    state_ = State::Off;
    return;
  }
  path_ = JoinPath(folder, L"\\", kLogName);
  state_ = State::On;
  o_.gsLogFolder = folder;

  // The run's name: when it started and its process.
  std::optional<LocalTime> started;
  // Without the time, the run id names the computer and the process only.
  Attempt([&] { started = p_.Now(); }, [](const RunError&) { return OnError::Stop; });
  ProcessIdentity identity;
  Attempt([&] { identity = p_.Identity(); },
          [&](const RunError&) {
            identity = {};  // named as unknown below
            return OnError::Stop;
          });
  o_.gsRunId = MakeRunId(identity.computer, started, identity.processId);
  const std::wstring startedText =
      started ? FormatTime(*started) : std::wstring(L"(the time could not be read)");

  std::vector<std::wstring> header;
  Attempt(
      [&] {
        const AppVersion v = p_.OwnVersion();
        header = {L"==== " + p_.OwnTitle() + L" " + std::to_wstring(v.major) + L"." +
                      std::to_wstring(v.minor) + L"." + std::to_wstring(v.revision) + L", " +
                      startedText + L", run " + o_.gsRunId + L" ====",
                  L"program: " + p_.OwnFolder() + L"\\" + p_.OwnFileName() + L".exe",
                  L"command line: " + p_.CommandLine()};
      },
      [&](const RunError& e) {
        // The log still opens its block when the program cannot name itself.
        header = {L"==== VTR Setup, " + startedText + L", run " + o_.gsRunId + L" ====",
                  L"program: unknown (" + DescribeError(e.description, e.number) + L")"};
        return OnError::Stop;
      });
  header.push_back(L"computer: " + NameOrUnknown(identity.computer));
  header.push_back(L"account: " + NameOrUnknown(identity.account));
  header.push_back(L"process id: " + (identity.processId != 0
                                          ? std::to_wstring(identity.processId)
                                          : std::wstring(L"(Windows did not say)")));
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

std::wstring SetupLog::TempLogFolder() {
  std::wstring folder;
  // A folder that cannot be read is reported below as a missing one.
  Attempt([&] { folder = p_.TempFolder(); },
          [&](const RunError&) {
            folder.clear();
            return OnError::Stop;
          });
  if (folder.empty()) {
    p_.WriteStandardError(
        L"VTR Setup: the setup log cannot be written: Windows names no temporary folder. The "
        L"run goes on without it.");
  }
  return folder;
}

std::wstring SetupLog::AskedLogFolder() {
  std::wstring folder = o_.gsLogFolderAsked;
  while (!folder.empty() && IsSeparator(folder.back()) && !IsRootFolder(folder)) {
    folder.pop_back();
  }
  const std::wstring named = L"VTR Setup: the log folder \"" + o_.gsLogFolderAsked + L"\" ";
  if (!IsAbsoluteFolder(folder)) {
    p_.WriteStandardError(named +
                          L"is not a full path (like C:\\Logs or \\\\server\\share\\Logs). The "
                          L"run goes on without its logs.");
    return {};
  }
  if (!Attempt([&] { MakeFolders(p_, folder); },
               [&](const RunError& e) {
                 p_.WriteStandardError(named + L"cannot be made: " +
                                       DescribeError(e.description, e.number) +
                                       L". The run goes on without its logs.");
                 return OnError::Stop;
               })) {
    return {};
  }
  return folder;
}

std::wstring SetupLog::TimeNow() {
  std::wstring text = L"(the time could not be read)";
  Attempt([&] { text = FormatTime(p_.Now()); }, [](const RunError&) { return OnError::Stop; });
  return text;
}

void SetupLog::Append(const std::wstring& line) {
  if (state_ != State::On) {
    return;
  }
  // Every line names its run, so the lines of two runs writing at once can be told apart.
  Attempt([&] { p_.AppendLine(path_, L"[" + o_.gsRunId + L"] " + line); },
          [&](const RunError& e) {
            // The run matters more than its log: give the log up, and Windows Installer's too,
            // since they would go to the same folder.
            state_ = State::Off;
            o_.gsLogFolder.clear();
            p_.WriteStandardError(L"VTR Setup: the setup log " + path_ + L" cannot be written: " +
                                  DescribeError(e.description, e.number) +
                                  L". The run goes on without it.");
            return OnError::Stop;
          });
}

}  // namespace vtr
