// The driver's command line:
//   vtrdrive run [--answer BUTTON]... [--input TEXT]... [STEP]... [--timeout S]
//                [--step-timeout S] [--screenshot-dir DIR] [--window-shots] [--cmdline TEXT]
//                [--close-windows] [--invisible-station] [--stderr FILE] -- EXE [ARGS...]
// A STEP works the program's wizard window; steps run in the order given, each once the wizard
// stands still (see steps.h).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vtrdrive {

enum class StepKind { Click, Check, Type, Key, EndTask, Screenshot, ExpectPanel, Read, Modules };

// One scripted action at the wizard.
struct Step {
  StepKind kind = StepKind::Click;
  int id = 0;         // the control's ID (Click, Check, Type, Read); the panel (ExpectPanel)
  int value = 0;      // Check: 0 or 1
  std::wstring text;  // Type: the text; Key: the key's name; Screenshot: the file
};

// The keys --key knows, by name.
inline constexpr const wchar_t* kKeyNames[] = {L"Enter", L"Escape", L"Tab"};

struct RunOptions {
  // Button captions to press, in order, one per message box ("&" left out: OK, Yes, No ...).
  std::vector<std::wstring> answers;
  // Texts to type, in order, one per input box; "<cancel>" presses Cancel instead.
  std::vector<std::wstring> inputs;
  // Actions at the wizard window, in order.
  std::vector<Step> steps;
  int timeoutSeconds = 120;
  // How long one step may wait for the wizard to stand still with its control usable.
  int stepTimeoutSeconds = 60;
  // Where a bitmap is saved just before each box is answered; empty: none.
  std::wstring screenshotDir;
  // Those bitmaps show only the box (or window) concerned instead of the whole screen.
  bool windowShots = false;
  std::wstring exe;
  std::vector<std::wstring> args;
  // Close the program's own windows with their close box once every scripted answer is used.
  bool closeWindows = false;
  // The argument text exactly as the program should see it, instead of quoted ARGS.
  std::optional<std::wstring> rawCommandLine;
  // Start the program in a window station no one sees, as a service runs; its windows are
  // reported there but never answered.
  bool invisibleStation = false;
  // A file that receives the program's standard error; empty: it has none.
  std::wstring stderrFile;
  // A file that receives the program's standard output; empty: it has none.
  std::wstring stdoutFile;
  // Starts the program suspended and writes its process id into this file; the program goes on
  // once the file is deleted (a test prepares what the id names meanwhile). Empty: at once.
  std::wstring holdStartFile;
  // Before the first message box is answered, its text is written into this file; the answer
  // is pressed once the file is deleted (a test changes the machine meanwhile). Empty: at once.
  std::wstring holdBoxFile;
};

inline constexpr const wchar_t* kCancelInput = L"<cancel>";

// Parses the words after the program name. On a mistake returns nothing and sets error to a
// sentence that says what is wrong.
std::optional<RunOptions> ParseOptions(const std::vector<std::wstring>& words, std::wstring& error);

// A step as it was written on the command line, for reports ("--click 2100").
std::wstring DescribeStep(const Step& step);

// How to call the driver, for the usage message.
extern const wchar_t* const kUsage;

}  // namespace vtrdrive
