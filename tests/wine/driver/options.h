// The driver's command line:
//   vtrdrive run [--answer BUTTON]... [--input TEXT]... [--timeout S]
//                [--screenshot-dir DIR] [--cmdline TEXT] [--close-windows] -- EXE [ARGS...]
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vtrdrive {

struct RunOptions {
  // Button captions to press, in order, one per message box ("&" left out: OK, Yes, No ...).
  std::vector<std::wstring> answers;
  // Texts to type, in order, one per input box; "<cancel>" presses Cancel instead.
  std::vector<std::wstring> inputs;
  int timeoutSeconds = 120;
  // Where a bitmap of the screen is saved just before each box is answered; empty: none.
  std::wstring screenshotDir;
  std::wstring exe;
  std::vector<std::wstring> args;
  // Close the program's own windows with their close box once every scripted answer is used.
  bool closeWindows = false;
  // The argument text exactly as the program should see it, instead of quoted ARGS.
  std::optional<std::wstring> rawCommandLine;
};

inline constexpr const wchar_t* kCancelInput = L"<cancel>";

// Parses the words after the program name. On a mistake returns nothing and sets error to a
// sentence that says what is wrong.
std::optional<RunOptions> ParseOptions(const std::vector<std::wstring>& words, std::wstring& error);

// How to call the driver, for the usage message.
extern const wchar_t* const kUsage;

}  // namespace vtrdrive
