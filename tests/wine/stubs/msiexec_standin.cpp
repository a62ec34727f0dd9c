// A thin msiexec.exe for the test prefix: it records every command line it is given (and the
// files present in the folders a test asks to watch, at the moment it starts), hands the run
// to Wine's own msiexec (kept beside it as "msiexec_wine.exe") and ends with its exit code.
// The only change to the run is the repair Wine lacks (see msiexec_args.h), and the answers a
// test gives in place of Windows Installer (a busy installer's 1618, say) for the command lines
// that name a given package.
#include <windows.h>

#include <cwchar>

#include "../driver/handles.h"
#include "call_log.h"
#include "msiexec_args.h"

namespace {

constexpr wchar_t kRealName[] = L"msiexec_wine.exe";
// Folders, one a line, whose files the start record lists: a test writes it to see what was
// on disk when Windows Installer was started.
constexpr wchar_t kWatchList[] = L"C:\\vtrtest\\watch.txt";
// What Windows Installer answers when its service cannot be reached.
constexpr DWORD kCannotStart = 1601;
// Lines "<text> <exit code>": a command line that holds the text is answered with the code and
// not run.
constexpr wchar_t kAnswers[] = L"C:\\vtrtest\\msiexec_answers.txt";

bool AnswerGiven(const std::wstring& commandLine, DWORD& exitCode) {
  for (const std::wstring& line : vtrstub::ReadLines(kAnswers)) {
    const auto blank = line.rfind(L' ');
    if (blank != std::wstring::npos &&
        commandLine.find(line.substr(0, blank)) != std::wstring::npos) {
      exitCode = static_cast<DWORD>(std::wcstoul(line.c_str() + blank + 1, nullptr, 10));
      return true;
    }
  }
  return false;
}

std::vector<std::wstring> WatchedFiles() {
  std::vector<std::wstring> present;
  for (const std::wstring& folder : vtrstub::ReadLines(kWatchList)) {
    for (const std::wstring& file : vtrstub::FilesUnder(folder)) {
      present.push_back(folder + L"\\" + file);
    }
  }
  return present;
}

}  // namespace

int wmain() {
  const std::wstring self = vtrstub::ModulePath(nullptr);
  const std::wstring commandLine = GetCommandLineW();
  const std::wstring passedOn = vtrstub::PassedOnArguments(vtrstub::ArgumentsOf(commandLine));
  const std::wstring real = vtrstub::FolderOf(self) + L"\\" + kRealName;

  vtrdrive::JsonLine start;
  start.Add("program", vtrstub::FileName(self))
      .Add("event", std::wstring(L"start"))
      .Add("path", self)
      .Add("command_line", commandLine)
      .Add("folder", vtrstub::CurrentFolder())
      .Add("created", vtrstub::ProcessCreated())
      .Add("passed_on", passedOn)
      .Add("present", WatchedFiles());
  vtrstub::AppendCall(start);

  std::wstring realLine = L"\"" + real + L"\" " + passedOn;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  DWORD exitCode = kCannotStart;
  const bool answered = AnswerGiven(commandLine, exitCode);
  const bool started =
      !answered && CreateProcessW(real.c_str(), realLine.data(), nullptr, nullptr, FALSE, 0,
                                  nullptr, nullptr, &startup, &info) != FALSE;
  if (started) {
    vtrdrive::UniqueHandle process(info.hProcess);
    vtrdrive::UniqueHandle thread(info.hThread);
    WaitForSingleObject(process.Get(), INFINITE);
    GetExitCodeProcess(process.Get(), &exitCode);
  }

  vtrdrive::JsonLine end;
  end.Add("program", vtrstub::FileName(self))
      .Add("event", std::wstring(L"end"))
      .Add("started", started)
      .Add("answered", answered)
      .Add("exit", static_cast<int64_t>(exitCode));
  vtrstub::AppendCall(end);
  return static_cast<int>(exitCode);
}
