// The platform as start-up hands it on: every box, process and product query logged.
#include "startup/setup_platform.h"

#include "detect/installed.h"
#include "engine/msi_command.h"
#include "engine/run_programs.h"
#include "util/text.h"

namespace vtr {
namespace {

const wchar_t* ButtonsText(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok:
      return L"OK";
    case MsgButtons::OkCancel:
      return L"OK/Cancel";
    case MsgButtons::YesNo:
      return L"Yes/No";
    case MsgButtons::YesNoCancel:
      return L"Yes/No/Cancel";
    case MsgButtons::RetryCancel:
      return L"Retry/Cancel";
  }
  return L"?";
}

const wchar_t* IconText(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::None:
      return L"no icon";
    case MsgIcon::Critical:
      return L"critical";
    case MsgIcon::Question:
      return L"question";
    case MsgIcon::Exclamation:
      return L"exclamation";
    case MsgIcon::Information:
      return L"information";
  }
  return L"?";
}

const wchar_t* AnswerText(MsgAnswer answer) {
  switch (answer) {
    case MsgAnswer::Ok:
      return L"OK";
    case MsgAnswer::Cancel:
      return L"Cancel";
    case MsgAnswer::Yes:
      return L"Yes";
    case MsgAnswer::No:
      return L"No";
    case MsgAnswer::Retry:
      return L"Retry";
  }
  return L"?";
}

// The program's file name, without its folder.
std::wstring ProgramName(const std::wstring& path) {
  const auto cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring Quoted(const std::wstring& text) {
  return L"\"" + text + L"\"";
}

constexpr wchar_t kByPerson[] = L" (answered by a person)";
constexpr wchar_t kUnattended[] = L" (unattended: no person can answer)";

// The exit code of a waited-for child goes to the log; Windows Installer's with its meaning.
class LoggedChildProcess final : public ChildProcess {
 public:
  LoggedChildProcess(std::unique_ptr<ChildProcess> child, SetupLog& log, std::wstring program)
      : child_(std::move(child)), log_(log), program_(std::move(program)) {}

  bool Wait(int32_t timeoutMs) override { return child_->Wait(timeoutMs); }

  std::optional<uint32_t> ExitCode() override {
    const std::optional<uint32_t> code = child_->ExitCode();
    if (!code) {
      log_.Write(L"exit code of " + program_ + L": unknown");
    } else if (EqualsNoCase(program_, L"msiexec.exe")) {
      log_.Write(L"exit code of " + program_ + L": " + std::to_wstring(*code) + L" (" +
                 MsiexecExitMeaning(*code) + L")");
    } else {
      log_.Write(L"exit code of " + program_ + L": " + std::to_wstring(*code));
    }
    return code;
  }

 private:
  std::unique_ptr<ChildProcess> child_;
  SetupLog& log_;
  std::wstring program_;
};

// Every product state Windows Installer reports goes to the log.
class LoggedInstaller final : public InstallerObject {
 public:
  LoggedInstaller(std::unique_ptr<InstallerObject> installer, SetupLog& log)
      : installer_(std::move(installer)), log_(log) {}

  int32_t ProductState(const std::wstring& productCode) override {
    try {
      const int32_t state = installer_->ProductState(productCode);
      log_.Write(L"product state of " + productCode + L": " + std::to_wstring(state) +
                 (IsInstalledState(state) ? L" (installed)" : L" (not installed)"));
      return state;
    } catch (const RunError& e) {
      log_.Write(L"product state of " + productCode + L": the query failed: " +
                 DescribeError(e.description, e.number));
      throw;
    }
  }

  std::wstring ProductInfo(const std::wstring& productCode,
                           const std::wstring& attribute) override {
    return Logged(L"\"" + attribute + L"\" of " + productCode,
                  [&] { return installer_->ProductInfo(productCode, attribute); });
  }

  std::wstring SummaryProperty(const std::wstring& packagePath, int32_t propertyId) override {
    return Logged(L"summary property " + std::to_wstring(propertyId) + L" of " + packagePath,
                  [&] { return installer_->SummaryProperty(packagePath, propertyId); });
  }

  std::wstring PackageProperty(const std::wstring& packagePath,
                               const std::wstring& property) override {
    return Logged(L"property " + property + L" of " + packagePath,
                  [&] { return installer_->PackageProperty(packagePath, property); });
  }

 private:
  template <typename Query>
  std::wstring Logged(const std::wstring& what, Query query) {
    try {
      std::wstring value = query();
      log_.Write(what + L": \"" + value + L"\"");
      return value;
    } catch (const RunError& e) {
      log_.Write(what + L": the query failed: " + DescribeError(e.description, e.number));
      throw;
    }
  }

  std::unique_ptr<InstallerObject> installer_;
  SetupLog& log_;
};

}  // namespace

void SetupPlatform::CommandLineRead() {
  commandLineRead_ = true;
  log_.Start();
}

bool SetupPlatform::PersonCanAnswer() {
  if (!personCanAnswer_) {
    Attempt([&] { personCanAnswer_ = windows_.PersonCanAnswer(); },
            [&](const RunError&) {
              personCanAnswer_ = true;  // when Windows cannot tell, boxes show as they always have
              return OnError::Stop;
            });
  }
  return *personCanAnswer_;
}

bool SetupPlatform::Unattended() {
  if (commandLineRead_ && !o_.gbSilent) {
    return false;  // the wizard's runs are a person's
  }
  return !PersonCanAnswer();
}

void SetupPlatform::ReportUnattended(const std::wstring& what) {
  windows_.WriteStandardError(L"VTR Setup: " + what);
  log_.Write(what);
}

MsgAnswer SetupPlatform::MsgBox(const std::wstring& text, MsgButtons buttons, MsgIcon icon,
                                const std::optional<std::wstring>& title) {
  // A box without a title shows the application title; the log names only titles given.
  const std::wstring box = L"message box" + (title ? L" " + Quoted(*title) : L"") + L" [" +
                           ButtonsText(buttons) + L", " + IconText(icon) + L"]: " + OneLine(text) +
                           L" => ";
  if (Unattended()) {
    const MsgAnswer answer = CautiousAnswer(buttons);
    ReportUnattended(box + AnswerText(answer) + kUnattended);
    return answer;
  }
  const MsgAnswer answer = windows_.MsgBox(text, buttons, icon, title);
  log_.Write(box + AnswerText(answer) + kByPerson);
  return answer;
}

std::wstring SetupPlatform::InputBox(const std::wstring& prompt, const std::wstring& title,
                                     const std::wstring& defaultText) {
  const std::wstring box = L"input box " + Quoted(title) + L": " + OneLine(prompt) +
                           L" [proposed " + Quoted(defaultText) + L"] => ";
  if (Unattended()) {
    // The proposed text is what the program would use without asking.
    ReportUnattended(box + Quoted(defaultText) + kUnattended);
    return defaultText;
  }
  const std::wstring answer = windows_.InputBox(prompt, title, defaultText);
  log_.Write(box + Quoted(answer) + kByPerson);
  return answer;
}

std::unique_ptr<ChildProcess> SetupPlatform::StartProcess(const std::wstring& applicationPath,
                                                          const std::wstring& commandLine,
                                                          const std::wstring& workFolder) {
  const std::wstring what =
      L"process " + Quoted(applicationPath) + L": " + commandLine + L" in " + Quoted(workFolder);
  std::unique_ptr<ChildProcess> child;
  try {
    child = windows_.StartProcess(applicationPath, commandLine, workFolder);
  } catch (const RunError& e) {
    log_.Write(what + L" => not started: " + DescribeError(e.description, e.number));
    throw;
  }
  if (!child) {
    log_.Write(what + L" => not started");
    return nullptr;
  }
  log_.Write(what + L" => started");
  return std::make_unique<LoggedChildProcess>(std::move(child), log_, ProgramName(applicationPath));
}

DesktopLaunch SetupPlatform::StartAsDesktopUser(const std::wstring& program,
                                                const std::wstring& workFolder) {
  const DesktopLaunch launch = windows_.StartAsDesktopUser(program, workFolder);
  const std::wstring why = launch.detail.empty() ? L"" : L" (" + launch.detail + L")";
  const std::wstring what = L"launch " + Quoted(program) + L" in " + Quoted(workFolder) + L" => ";
  switch (launch.way) {
    case LaunchWay::DesktopShell:
      log_.Write(what + L"started by the desktop's shell, as the desktop's user" + why);
      break;
    case LaunchWay::OwnProcess:
      log_.Write(what + L"started as setup's own child, with setup's rights" + why);
      break;
    case LaunchWay::NotFound:
    case LaunchWay::NotStarted:
      log_.Write(what + L"not started" + why);
      break;
  }
  return launch;
}

std::unique_ptr<InstallerObject> SetupPlatform::CreateInstaller() {
  try {
    return std::make_unique<LoggedInstaller>(windows_.CreateInstaller(), log_);
  } catch (const RunError& e) {
    log_.Write(L"Windows Installer: the installer object cannot be created: " +
               DescribeError(e.description, e.number));
    throw;
  }
}

}  // namespace vtr
