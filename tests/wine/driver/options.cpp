#include "options.h"

#include <cwchar>

namespace vtrdrive {

const wchar_t* const kUsage =
    L"usage: vtrdrive run [--answer BUTTON]... [--input TEXT]... [STEP]...\n"
    L"                    [--timeout SECONDS] [--step-timeout SECONDS]\n"
    L"                    [--screenshot-dir DIR] [--window-shots] [--cmdline TEXT]\n"
    L"                    [--close-windows] [--invisible-station] [--stderr FILE]\n"
    L"                    [--stdout FILE] [--hold-start FILE] [--hold-box FILE]\n"
    L"                    -- EXE [ARGS...]\n"
    L"  --answer BUTTON      caption of the button to press in the next message box\n"
    L"                       (without '&': OK, Yes, No, Cancel ...); when none is left,\n"
    L"                       the box's default button is pressed\n"
    L"  --input TEXT         text to type into the next input box, then OK;\n"
    L"                       <cancel> presses Cancel instead\n"
    L"  --timeout SECONDS    end EXE and fail when it runs longer (default 120)\n"
    L"  --step-timeout SECONDS\n"
    L"                       fail when a step waits longer for the wizard (default 60)\n"
    L"  --screenshot-dir DIR save a bitmap of the screen before answering each box\n"
    L"  --window-shots       those bitmaps show only the box or window, not the screen\n"
    L"  --cmdline TEXT       pass TEXT verbatim as EXE's arguments (no ARGS then)\n"
    L"  --close-windows      once every answer, input and step is used, close EXE's\n"
    L"                       other windows (its wizard) with their close box\n"
    L"  --invisible-station  start EXE in a new window station no one sees, as a\n"
    L"                       service runs; its windows there are reported, not answered\n"
    L"  --stderr FILE        give EXE this file as its standard error\n"
    L"  --stdout FILE        give EXE this file as its standard output\n"
    L"  --hold-start FILE    start EXE suspended, write its process id into FILE, and\n"
    L"                       let it run once FILE is deleted\n"
    L"  --hold-box FILE      before answering the first message box, write its text\n"
    L"                       into FILE and press the answer once FILE is deleted\n"
    L"Steps work the wizard window (class VantoraSetupWizard), in order, each once the\n"
    L"wizard is shown, not busy and no box stands over it:\n"
    L"  --click ID           click the control with this ID (waits until it is usable)\n"
    L"  --check ID 0|1       untick or tick a check box (a click when it differs)\n"
    L"  --type ID TEXT       replace the text of a folder box, as typing does\n"
    L"  --key Enter|Escape|Tab\n"
    L"                       press the key in the wizard\n"
    L"  --end-task           ask the wizard to close the way Task Manager's End task does:\n"
    L"                       WM_CLOSE sent to its window from this other program\n"
    L"  --screenshot FILE    save a bitmap of the wizard window\n"
    L"  --expect-panel N     wait until panel N shows; fail when another one stays\n"
    L"  --read ID            report the control's text, check and whether it is shown\n"
    L"  --modules            report the DLLs the program has loaded, with their paths; with\n"
    L"                       it, they are also reported the moment its first window shows\n";

namespace {

std::optional<int> ParseNumber(const std::wstring& text, int lowest, int highest) {
  if (text.empty() || text.size() > 6) {
    return std::nullopt;
  }
  int value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') {
      return std::nullopt;
    }
    value = value * 10 + (c - L'0');
  }
  if (value < lowest || value > highest) {
    return std::nullopt;
  }
  return value;
}

// How many values each option takes; -1 for a word that is no option.
int ValueCount(const std::wstring& name) {
  for (const wchar_t* flag : {L"--close-windows", L"--window-shots", L"--end-task",
                              L"--invisible-station", L"--modules"}) {
    if (name == flag) {
      return 0;
    }
  }
  for (const wchar_t* one :
       {L"--answer", L"--input", L"--timeout", L"--step-timeout", L"--screenshot-dir", L"--cmdline",
        L"--click", L"--key", L"--screenshot", L"--expect-panel", L"--read", L"--stderr",
        L"--stdout", L"--hold-start", L"--hold-box"}) {
    if (name == one) {
      return 1;
    }
  }
  if (name == L"--check" || name == L"--type") {
    return 2;
  }
  return -1;
}

constexpr int kHighestId = 0xFFFF;
constexpr int kHighestPanel = 99;

}  // namespace

std::optional<RunOptions> ParseOptions(const std::vector<std::wstring>& words,
                                       std::wstring& error) {
  if (words.empty() || words[0] != L"run") {
    error = L"the first word must be the command \"run\"";
    return std::nullopt;
  }
  RunOptions options;
  size_t i = 1;
  while (i < words.size() && words[i] != L"--") {
    const std::wstring name = words[i];
    const int count = ValueCount(name);
    if (count < 0) {
      error = L"unknown option \"" + name + L"\" (the program to run follows \"--\")";
      return std::nullopt;
    }
    if (i + static_cast<size_t>(count) >= words.size()) {
      error = L"the option " + name + (count == 1 ? L" needs a value" : L" needs two values");
      return std::nullopt;
    }
    const std::wstring first = count >= 1 ? words[i + 1] : std::wstring();
    const std::wstring second = count >= 2 ? words[i + 2] : std::wstring();
    i += 1 + static_cast<size_t>(count);

    auto controlId = [&](const std::wstring& text) -> std::optional<int> {
      std::optional<int> id = ParseNumber(text, 1, kHighestId);
      if (!id) {
        error = name + L" needs a control ID from 1 to 65535, not \"" + text + L"\"";
      }
      return id;
    };
    auto seconds = [&](const std::wstring& text) -> std::optional<int> {
      std::optional<int> s = ParseNumber(text, 1, 999999);
      if (!s) {
        error = name + L" needs a whole number of seconds above 0, not \"" + text + L"\"";
      }
      return s;
    };

    Step step;
    if (name == L"--close-windows") {
      options.closeWindows = true;
    } else if (name == L"--window-shots") {
      options.windowShots = true;
    } else if (name == L"--invisible-station") {
      options.invisibleStation = true;
    } else if (name == L"--stderr") {
      options.stderrFile = first;
    } else if (name == L"--stdout") {
      options.stdoutFile = first;
    } else if (name == L"--hold-start") {
      options.holdStartFile = first;
    } else if (name == L"--hold-box") {
      options.holdBoxFile = first;
    } else if (name == L"--modules") {
      step.kind = StepKind::Modules;
      options.steps.push_back(step);
    } else if (name == L"--end-task") {
      step.kind = StepKind::EndTask;
      options.steps.push_back(step);
    } else if (name == L"--answer") {
      options.answers.push_back(first);
    } else if (name == L"--input") {
      options.inputs.push_back(first);
    } else if (name == L"--timeout" || name == L"--step-timeout") {
      std::optional<int> s = seconds(first);
      if (!s) {
        return std::nullopt;
      }
      (name == L"--timeout" ? options.timeoutSeconds : options.stepTimeoutSeconds) = *s;
    } else if (name == L"--screenshot-dir") {
      options.screenshotDir = first;
    } else if (name == L"--cmdline") {
      options.rawCommandLine = first;
    } else if (name == L"--click" || name == L"--read") {
      std::optional<int> id = controlId(first);
      if (!id) {
        return std::nullopt;
      }
      step.kind = name == L"--click" ? StepKind::Click : StepKind::Read;
      step.id = *id;
      options.steps.push_back(step);
    } else if (name == L"--check") {
      std::optional<int> id = controlId(first);
      if (!id) {
        return std::nullopt;
      }
      if (second != L"0" && second != L"1") {
        error = L"--check " + first + L" needs 0 (untick) or 1 (tick), not \"" + second + L"\"";
        return std::nullopt;
      }
      step.kind = StepKind::Check;
      step.id = *id;
      step.value = second == L"1" ? 1 : 0;
      options.steps.push_back(step);
    } else if (name == L"--type") {
      std::optional<int> id = controlId(first);
      if (!id) {
        return std::nullopt;
      }
      step.kind = StepKind::Type;
      step.id = *id;
      step.text = second;
      options.steps.push_back(step);
    } else if (name == L"--key") {
      bool known = false;
      for (const wchar_t* key : kKeyNames) {
        known = known || first == key;
      }
      if (!known) {
        error = L"--key knows Enter, Escape and Tab, not \"" + first + L"\"";
        return std::nullopt;
      }
      step.kind = StepKind::Key;
      step.text = first;
      options.steps.push_back(step);
    } else if (name == L"--screenshot") {
      if (first.empty()) {
        error = L"--screenshot needs a file name";
        return std::nullopt;
      }
      step.kind = StepKind::Screenshot;
      step.text = first;
      options.steps.push_back(step);
    } else {  // --expect-panel
      std::optional<int> panel = ParseNumber(first, 0, kHighestPanel);
      if (!panel) {
        error = L"--expect-panel needs a panel number from 0 to 99, not \"" + first + L"\"";
        return std::nullopt;
      }
      step.kind = StepKind::ExpectPanel;
      step.id = *panel;
      options.steps.push_back(step);
    }
  }
  if (i >= words.size()) {
    error = L"the program to run must follow \"--\"";
    return std::nullopt;
  }
  ++i;
  if (i >= words.size() || words[i].empty()) {
    error = L"no program named after \"--\"";
    return std::nullopt;
  }
  options.exe = words[i++];
  options.args.assign(words.begin() + static_cast<std::ptrdiff_t>(i), words.end());
  if (options.rawCommandLine && !options.args.empty()) {
    error = L"give the program's arguments either with --cmdline or after the program, not both";
    return std::nullopt;
  }
  return options;
}

std::wstring DescribeStep(const Step& step) {
  switch (step.kind) {
    case StepKind::Click:
      return L"--click " + std::to_wstring(step.id);
    case StepKind::Check:
      return L"--check " + std::to_wstring(step.id) + L" " + std::to_wstring(step.value);
    case StepKind::Type:
      return L"--type " + std::to_wstring(step.id) + L" \"" + step.text + L"\"";
    case StepKind::Key:
      return L"--key " + step.text;
    case StepKind::EndTask:
      return L"--end-task";
    case StepKind::Screenshot:
      return L"--screenshot " + step.text;
    case StepKind::ExpectPanel:
      return L"--expect-panel " + std::to_wstring(step.id);
    case StepKind::Read:
      return L"--read " + std::to_wstring(step.id);
    case StepKind::Modules:
      return L"--modules";
  }
  return {};
}

}  // namespace vtrdrive
