// vtrdrive: plays the user for the Wine tests. It starts the program under test, answers each
// box the program shows with the next scripted answer, works the wizard window by control ID
// between the boxes, reports every box, window and step and the program's full exit code as
// JSON lines, and gives up cleanly when the program runs too long.
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "boxes.h"
#include "child.h"
#include "icon.h"
#include "json_line.h"
#include "options.h"
#include "screenshot.h"
#include "station.h"
#include "steps.h"
#include "window_text.h"

namespace vtrdrive {
namespace {

constexpr DWORD kPollMs = 50;
// A box that has just become visible may still be laying out its controls.
constexpr DWORD kSettleMs = 150;
// Long enough for Wine to paint a box before its picture is taken.
constexpr DWORD kPaintMs = 400;
constexpr ULONGLONG kCloseWaitMs = 10000;
constexpr int kIconAttempts = 5;

// Exit statuses of the driver itself (the program's own code is reported in JSON).
constexpr int kUsageError = 2;
constexpr int kStartError = 3;
constexpr int kTimedOut = 4;
constexpr int kScriptError = 5;

void Complain(const std::wstring& message) {
  const std::string text = "vtrdrive: " + Utf8(message) + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written,
            nullptr);
}

class Run {
 public:
  explicit Run(RunOptions options)
      : options_(std::move(options)), steps_(options_.steps, options_.stepTimeoutSeconds) {}

  int Execute() {
    std::wstring error;
    std::wstring argumentText;
    if (options_.rawCommandLine) {
      argumentText = *options_.rawCommandLine;
    } else {
      for (const std::wstring& arg : options_.args) {
        argumentText += (argumentText.empty() ? L"" : L" ") + QuoteArgument(arg);
      }
    }
    if (options_.invisibleStation) {
      std::optional<InvisibleStation> made = InvisibleStation::Create(error);
      if (made) {
        station_.emplace(std::move(*made));
      } else {
        JsonLine().Add("error", error).Write();
        Complain(error);
        return kStartError;
      }
    }
    std::optional<UniqueFile> standardError;
    if (!options_.stderrFile.empty()) {
      SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
      standardError.emplace(CreateFileW(options_.stderrFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                        &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
      if (!*standardError) {
        error = L"could not make " + options_.stderrFile;
        JsonLine().Add("error", error).Write();
        Complain(error);
        return kStartError;
      }
    }
    std::optional<UniqueFile> standardOutput;
    if (!options_.stdoutFile.empty()) {
      SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
      standardOutput.emplace(CreateFileW(options_.stdoutFile.c_str(), GENERIC_WRITE,
                                         FILE_SHARE_READ, &inheritable, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!*standardOutput) {
        error = L"could not make " + options_.stdoutFile;
        JsonLine().Add("error", error).Write();
        Complain(error);
        return kStartError;
      }
    }
    std::optional<Child> child = Child::Start(
        options_.exe, argumentText, station_ ? station_->DesktopName() : L"",
        standardError ? standardError->Get() : nullptr,
        standardOutput ? standardOutput->Get() : nullptr, !options_.holdStartFile.empty(), error);
    standardError.reset();  // the program holds its own copies
    standardOutput.reset();
    if (!child) {
      JsonLine().Add("error", error).Write();
      Complain(error);
      return kStartError;
    }
    const ULONGLONG deadline =
        GetTickCount64() + static_cast<ULONGLONG>(options_.timeoutSeconds) * 1000;
    deadline_ = deadline;
    if (!options_.holdStartFile.empty()) {
      if (!HoldStart(*child, deadline)) {
        return Fail(*child, kTimedOut,
                    options_.holdStartFile + L" was not deleted in time; the program was ended");
      }
    }
    for (;;) {
      if (std::optional<uint32_t> code = child->ExitCode()) {
        ReportUnused();
        JsonLine().Add("exit", static_cast<int64_t>(*code)).Write();
        return 0;
      }
      if (GetTickCount64() > deadline) {
        return Fail(*child, kTimedOut,
                    options_.exe + L" did not finish within " +
                        std::to_wstring(options_.timeoutSeconds) + L" seconds; it was ended");
      }
      if (station_) {
        // No one can answer there: a window is only reported, as a sign that it waits.
        for (HWND window : station_->WindowsOf(child->Id())) {
          if (windows_.emplace(window, true).second) {
            JsonLine()
                .Add("window", WindowText(window))
                .Add("class", ClassName(window))
                .Add("station", std::wstring(L"invisible"))
                .Write();
          }
        }
      }
      for (HWND window : TopLevelWindowsOf(child->Id())) {
        if (pressed_.count(window) != 0 || windows_.count(window) != 0) {
          continue;
        }
        if (!firstWindowSeen_ && IsWindowVisible(window) && steps_.WantsModules()) {
          // At once, before the program has had time to do what it leaves for later.
          firstWindowSeen_ = true;
          JsonLine().Add("first_window_modules", ModulesOf(child->Id())).Write();
        }
        Sleep(kSettleMs);
        if (!IsWindow(window) || !IsWindowVisible(window)) {
          continue;
        }
        const Box box = ReadBox(window);
        if (!IsAnswerable(box.kind)) {
          ReportWindow(box);
          continue;
        }
        if (std::optional<std::wstring> problem = Answer(box)) {
          return Fail(*child, kScriptError, *problem);
        }
      }
      if (std::optional<std::wstring> stuck = StuckBox()) {
        return Fail(*child, kScriptError, *stuck);
      }
      if (std::optional<std::wstring> problem = steps_.Poll(child->Id())) {
        return Fail(*child, kScriptError, *problem);
      }
      if (options_.closeWindows && ScriptUsedUp()) {
        CloseWindows();
      }
      Sleep(kPollMs);
    }
  }

 private:
  // Writes the suspended child's process id into the hold-start file and lets the child run once
  // the file is gone. False when that did not happen before the deadline.
  bool HoldStart(const Child& child, ULONGLONG deadline) const {
    {
      const std::string id = std::to_string(child.Id());
      const UniqueFile file(CreateFileW(options_.holdStartFile.c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      DWORD written = 0;
      if (!file ||
          !WriteFile(file.Get(), id.data(), static_cast<DWORD>(id.size()), &written, nullptr)) {
        return false;
      }
    }
    while (GetFileAttributesW(options_.holdStartFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
      if (GetTickCount64() > deadline) {
        return false;
      }
      Sleep(50);
    }
    child.Resume();
    return true;
  }

  // Writes the box's text into the hold-box file and waits until the file is gone. False when
  // that did not happen before the deadline.
  bool HoldBox(const Box& box) const {
    {
      const std::string text = Utf8(box.text);
      const UniqueFile file(CreateFileW(options_.holdBoxFile.c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      DWORD written = 0;
      if (!file ||
          !WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        return false;
      }
    }
    while (GetFileAttributesW(options_.holdBoxFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
      if (GetTickCount64() > deadline_) {
        return false;
      }
      Sleep(50);
    }
    return true;
  }

  int Fail(const Child& child, int status, const std::wstring& message) {
    JsonLine line;
    line.Add("error", message);
    if (status == kTimedOut) {
      line.Add("timeout", static_cast<int64_t>(options_.timeoutSeconds));
    }
    line.Write();
    Complain(message);
    child.Terminate();
    return status;
  }

  // Reads one box, reports it and presses the scripted (or default) button. Returns what went
  // wrong when the script cannot be followed.
  std::optional<std::wstring> Answer(const Box& box) {
    ++shotCount_;
    JsonLine line;
    line.Add("box", std::wstring(KindName(box.kind))).Add("title", box.title);
    if (box.kind == BoxKind::Input) {
      line.Add("prompt", box.text).Add("default", box.defaultText);
    } else {
      line.Add("text", box.text);
    }
    // Windows paints a box a moment after showing it; the icon is read from the screen.
    Sleep(kPaintMs);
    if (box.kind == BoxKind::Message) {
      // On a busy machine the first look may come before the icon is painted.
      std::wstring icon = IdentifyIcon(box.window);
      for (int attempt = 0; icon == L"unknown" && attempt < kIconAttempts; ++attempt) {
        Sleep(kPaintMs);
        icon = IdentifyIcon(box.window);
      }
      line.Add("icon", icon);
    }
    std::vector<std::wstring> captions;
    for (const Button& b : box.buttons) {
      captions.push_back(b.caption);
    }
    line.Add("buttons", captions);
    Screenshot(line, KindName(box.kind), box.window);

    const Button* button = nullptr;
    if (box.kind == BoxKind::Input) {
      if (nextInput_ < options_.inputs.size()) {
        const std::wstring& value = options_.inputs[nextInput_++];
        line.Add("input", value);
        if (value == kCancelInput) {
          button = FindButtonById(box, IDCANCEL);
          button = button != nullptr ? button : FindButton(box, L"Cancel");
        } else {
          if (!SetWindowTextRemote(box.edit, value)) {
            line.Write();
            return L"could not type into the input box \"" + box.title + L"\"";
          }
          button = FindButtonById(box, IDOK);
          button = button != nullptr ? button : FindButton(box, L"OK");
        }
      } else {
        line.Add("unscripted", true);
        button = DefaultButton(box);
      }
    } else if (nextAnswer_ < options_.answers.size()) {
      const std::wstring& wanted = options_.answers[nextAnswer_++];
      button = FindButton(box, wanted);
      if (button == nullptr) {
        line.Write();
        return L"the box \"" + box.title + L"\" has no button \"" + wanted + L"\"";
      }
    } else {
      line.Add("unscripted", true);
      button = DefaultButton(box);
    }
    if (button == nullptr) {
      line.Write();
      return L"the box \"" + box.title + L"\" has no button to press";
    }
    line.Add("answer", button->caption);
    line.Write();
    if (box.kind == BoxKind::Message && !options_.holdBoxFile.empty() && !boxHeld_) {
      boxHeld_ = true;
      if (!HoldBox(box)) {
        return options_.holdBoxFile + L" was not deleted in time";
      }
    }
    pressed_[box.window] = {GetTickCount64(), button->caption};
    Press(*button);
    return std::nullopt;
  }

  // A box that ignores its button would leave the program waiting until the timeout; say at once
  // which one it is. Boxes that closed are forgotten, so a window handle used again is new.
  std::optional<std::wstring> StuckBox() {
    for (auto it = pressed_.begin(); it != pressed_.end();) {
      if (!IsWindow(it->first) || !IsWindowVisible(it->first)) {
        it = pressed_.erase(it);
        continue;
      }
      if (GetTickCount64() - it->second.when > kCloseWaitMs) {
        return L"the box \"" + WindowText(it->first) + L"\" did not close after \"" +
               it->second.caption + L"\" was pressed";
      }
      ++it;
    }
    return std::nullopt;
  }

  bool ScriptUsedUp() const {
    return nextAnswer_ >= options_.answers.size() && nextInput_ >= options_.inputs.size() &&
           steps_.Done();
  }

  // Any other window of the program (the wizard) is reported once, when it first shows.
  void ReportWindow(const Box& box) {
    windows_[box.window] = false;
    ++shotCount_;
    JsonLine line;
    line.Add("window", box.title).Add("class", ClassName(box.window));
    if (!options_.screenshotDir.empty()) {
      Sleep(kPaintMs);
      Screenshot(line, L"window", box.window);
    }
    line.Write();
  }

  // Saves a picture of the screen (or of the window alone), once the window is painted, when
  // asked to; the report line names the file.
  void Screenshot(JsonLine& line, const wchar_t* kind, HWND window) {
    if (options_.screenshotDir.empty()) {
      return;
    }
    wchar_t name[32];
    std::swprintf(name, 32, L"%02d-%ls.bmp", shotCount_, kind);
    const std::wstring path = options_.screenshotDir + L"\\" + name;
    if (options_.windowShots ? SaveWindowScreenshot(path, window) : SaveScreenshot(path)) {
      line.Add("screenshot", path);
    } else {
      line.Add("screenshot_error", L"could not save " + path);
    }
  }

  void CloseWindows() {
    for (auto it = windows_.begin(); it != windows_.end();) {
      if (!IsWindow(it->first)) {
        it = windows_.erase(it);
        continue;
      }
      if (!it->second && IsWindowVisible(it->first)) {
        it->second = true;
        JsonLine().Add("close", WindowText(it->first)).Write();
        CloseWithCloseBox(it->first);
      }
      ++it;
    }
  }

  void ReportUnused() const {
    if (ScriptUsedUp()) {
      return;
    }
    JsonLine()
        .Add("unused_answers",
             std::vector<std::wstring>(options_.answers.begin() + static_cast<long>(nextAnswer_),
                                       options_.answers.end()))
        .Add("unused_inputs",
             std::vector<std::wstring>(options_.inputs.begin() + static_cast<long>(nextInput_),
                                       options_.inputs.end()))
        .Add("unused_steps", steps_.Unused())
        .Write();
  }

  struct Pressed {
    ULONGLONG when = 0;
    std::wstring caption;
  };

  RunOptions options_;
  std::optional<InvisibleStation> station_;
  StepRunner steps_;
  size_t nextAnswer_ = 0;
  size_t nextInput_ = 0;
  int shotCount_ = 0;  // numbers the screenshots in the order things appeared
  std::map<HWND, Pressed> pressed_;
  // Windows that are not boxes, and whether the driver has closed each.
  std::map<HWND, bool> windows_;
  bool firstWindowSeen_ = false;
  bool boxHeld_ = false;  // the first message box was held (--hold-box)
  ULONGLONG deadline_ = 0;
};

}  // namespace
}  // namespace vtrdrive

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> words(argv + 1, argv + argc);
  std::wstring error;
  std::optional<vtrdrive::RunOptions> options = vtrdrive::ParseOptions(words, error);
  if (!options) {
    vtrdrive::Complain(error);
    const std::string usage = vtrdrive::Utf8(vtrdrive::kUsage);
    std::fputs(usage.c_str(), stderr);
    return vtrdrive::kUsageError;
  }
  return vtrdrive::Run(std::move(*options)).Execute();
}
