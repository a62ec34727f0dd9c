#include "options.h"

#include <cwchar>

namespace vtrdrive {

const wchar_t* const kUsage =
    L"usage: vtrdrive run [--answer BUTTON]... [--input TEXT]... [--timeout SECONDS]\n"
    L"                    [--screenshot-dir DIR] [--cmdline TEXT] [--close-windows]\n"
    L"                    -- EXE [ARGS...]\n"
    L"  --answer BUTTON      caption of the button to press in the next message box\n"
    L"                       (without '&': OK, Yes, No, Cancel ...); when none is left,\n"
    L"                       the box's default button is pressed\n"
    L"  --input TEXT         text to type into the next input box, then OK;\n"
    L"                       <cancel> presses Cancel instead\n"
    L"  --timeout SECONDS    end EXE and fail when it runs longer (default 120)\n"
    L"  --screenshot-dir DIR save a bitmap of the screen before answering each box\n"
    L"  --cmdline TEXT       pass TEXT verbatim as EXE's arguments (no ARGS then)\n"
    L"  --close-windows      once every answer and input is used, close EXE's other\n"
    L"                       windows (its wizard) with their close box\n";

namespace {

std::optional<int> ParseSeconds(const std::wstring& text) {
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
  if (value == 0) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<RunOptions> ParseOptions(const std::vector<std::wstring>& words,
                                       std::wstring& error) {
  if (words.empty() || words[0] != L"run") {
    error = L"the first word must be the command \"run\"";
    return std::nullopt;
  }
  RunOptions options;
  size_t i = 1;
  // Every option takes exactly one value.
  auto value = [&](const std::wstring& name) -> std::optional<std::wstring> {
    if (i + 1 >= words.size()) {
      error = L"the option " + name + L" needs a value";
      return std::nullopt;
    }
    i += 2;
    return words[i - 1];
  };
  while (i < words.size() && words[i] != L"--") {
    const std::wstring name = words[i];
    if (name == L"--close-windows") {
      options.closeWindows = true;
      ++i;
      continue;
    }
    if (name != L"--answer" && name != L"--input" && name != L"--timeout" &&
        name != L"--screenshot-dir" && name != L"--cmdline") {
      error = L"unknown option \"" + name + L"\" (the program to run follows \"--\")";
      return std::nullopt;
    }
    std::optional<std::wstring> v = value(name);
    if (!v) {
      return std::nullopt;
    }
    if (name == L"--answer") {
      options.answers.push_back(*v);
    } else if (name == L"--input") {
      options.inputs.push_back(*v);
    } else if (name == L"--timeout") {
      std::optional<int> seconds = ParseSeconds(*v);
      if (!seconds) {
        error = L"--timeout needs a whole number of seconds above 0, not \"" + *v + L"\"";
        return std::nullopt;
      }
      options.timeoutSeconds = *seconds;
    } else if (name == L"--screenshot-dir") {
      options.screenshotDir = *v;
    } else {
      options.rawCommandLine = *v;
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

}  // namespace vtrdrive
