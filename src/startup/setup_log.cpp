// The setup log: a new file for each run, one event a line.
#include "startup/setup_log.h"

#include <cstdio>

#include "engine/outcome.h"
#include "util/text.h"

namespace vtr {
namespace {

std::wstring RunMode(const Edition& e, const RunOptions& o) {
  std::wstring mode = e.gbUpdate ? L"update" : L"full install";
  mode += o.gbPlan ? L", plan only" : o.gbSilent ? L", silent" : L", wizard";
  if (o.gbDebug) {
    mode += L", debug";
  }
  return mode;
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
  // The run's name, which the log's file carries: when it started and its process.
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
  // When Windows cannot tell, the run has the rights setup asks Windows for.
  Attempt([&] { elevated_ = p_.RunsElevated(); }, [](const RunError&) { return OnError::Stop; });

  const std::wstring folder = o_.gsLogAsked.empty() ? DefaultLogFolder() : AskedLogFolder();
  const std::optional<std::wstring> moved = folder.empty() ? std::nullopt : Open(folder);
  if (!file_) {
    state_ = State::Off;
    o_.gsRunId.clear();
    return;
  }
  state_ = State::On;
  o_.gsLogFolder = folder;
  // Windows Installer opens its log by its name and deletes what is there first, so a link put
  // at the name in between would be followed: an elevated run hands it only a folder that no
  // ordinary user can change, which a folder that was there before LOG named it may not be.
  std::optional<std::wstring> installerLogs;
  if (elevated_ && !protectedFolder_) {
    o_.gsLogFolder = DefaultLogFolder();
  }
  // Nothing to say where LOG named setup's own folder, whose access list was just set again.
  if (!EqualsNoCase(o_.gsLogFolder, folder)) {
    installerLogs = o_.gsLogFolder.empty()
                        ? L"Windows Installer's logs are not written: setup has no folder for them "
                          L"that only administrators can change"
                        : L"Windows Installer's logs go to " + o_.gsLogFolder + L", not to " +
                              folder +
                              L": Windows Installer opens its log by its name, so setup hands it "
                              L"only a folder that no ordinary user can change";
  }
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
  if (moved) {
    header.push_back(*moved);
  }
  if (installerLogs) {
    header.push_back(*installerLogs);
  }
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
  state_ = State::Off;
  file_.reset();  // closed with the run's last line
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
  // Every line names its run, so the lines of a run copied into one file with others can still
  // be told apart.
  Attempt([&] { file_->WriteLine(L"[" + o_.gsRunId + L"] " + line); },
          [&](const RunError& e) {
            // The run matters more than its log: give the log up, and Windows Installer's too,
            // since they would go to the same folder.
            state_ = State::Off;
            file_.reset();
            o_.gsLogFolder.clear();
            p_.WriteStandardError(L"VTR Setup: the setup log " + path_ + L" cannot be written: " +
                                  DescribeError(e.description, e.number) +
                                  L". The run goes on without it.");
            return OnError::Stop;
          });
}

}  // namespace vtr
