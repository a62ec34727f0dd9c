// The command line: its keywords read into the run options, and the usage box.
#include "startup/command_line.h"

#include "util/text.h"

namespace vtr {
namespace {

// Sets the flag of a keyword; false when the word is none of them.
bool ApplyKeyword(const std::wstring& word, RunOptions& o, CommandFlags& flags) {
  const std::wstring upper = UpperCase(word);
  if (upper == L"REPAIR") {
    flags.bRepair = true;
  } else if (upper == L"REMOVE") {
    flags.bRemove = true;
  } else if (upper == L"PROGRAM") {
    flags.bProgram = true;
  } else if (upper == L"DB") {
    flags.bDatabase = true;
  } else if (upper == L"OL") {
    flags.bOutlook = true;
  } else if (upper == L"S") {
    o.gbSilent = true;
  } else if (upper == L"DEBUG") {
    o.gbDebug = true;
  } else if (upper == L"LOG") {
    o.gbLog = true;
    o.gsLogAsked.clear();
  } else if (LeftEqualsNoCase(word, 4, L"LOG=")) {
    // LOG="<folder>" or LOG="<file>", quotes optional: the logs go there instead of the default
    // folder (the setup log decides which of the two the path names).
    std::wstring path = word.substr(4);
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') {
      path = path.substr(1, path.size() - 2);
    }
    if (path.empty() || path.find(L'"') != std::wstring::npos) {
      return false;  // no path, or a quote left open
    }
    o.gbLog = true;
    o.gsLogAsked = path;
  } else if (upper == L"NORESTART") {
    o.gbNoRestart = true;
  } else if (upper == L"PLAN") {
    // The plan is shown and nothing is carried out: a run without a person, like S.
    o.gbPlan = true;
    o.gbSilent = true;
  } else {
    return false;
  }
  return true;
}

// The next word of the command line: up to the next blank, except that LOG="<path>" runs on
// to its closing quote, blanks and all.
std::wstring NextWord(std::wstring& command) {
  if (LeftEqualsNoCase(command, 5, L"LOG=\"")) {
    const auto close = command.find(L'"', 5);
    const auto lineEnd = command.find(L'\r');
    if (close != std::wstring::npos && (lineEnd == std::wstring::npos || close < lineEnd)) {
      const auto end = command.find_first_of(L" \r", close);
      std::wstring word = command.substr(0, end);
      command.erase(0, end == std::wstring::npos ? command.size() : end);
      command = TrimLeadingSpaces(command);
      return word;
    }
  }
  return sys_parse(command, gsSpace, true);
}

void ShowUsage(Platform& p, const std::wstring& invalidWord) {
  const std::wstring& cr = gsCR;
  const std::wstring& tab = gsTab;
  const std::wstring message =
      L"Parameter:" + invalidWord + cr + L"Sorry this is not a valid Parameter." + cr + cr +
      L"Available Parameters" + cr + cr + p.OwnFileName() + L" [Repair] [Program] [DB] [OL]" + cr +
      cr + L"REPAIR" + tab + L"Repair previous installation" + cr + L"REMOVE" + tab +
      L"Remove Program installation" + cr + L"PROGRAM" + tab +
      L"Install/Repair/Remove Main Vantora Program" + cr + L"DB" + tab +
      L"Install/Repair/Remove Vantora Database" + cr + L"OL" + tab +
      L"Setup MS Outlook Office Interface" + cr + L"S" + tab +
      L"Silent operation (no user prompting)" + cr;
  const AppVersion v = p.OwnVersion();
  const std::wstring title = p.OwnTitle() + gsSpace + std::to_wstring(v.major) + L"." +
                             std::to_wstring(v.minor) + L"." + std::to_wstring(v.revision);
  p.SetMousePointer(MousePointer::Default);
  p.MsgBox(message, MsgButtons::Ok, MsgIcon::Information, title);
}

}  // namespace

std::wstring sys_parse(std::wstring& text, const std::wstring& delimiter, bool trimLeading) {
  if (text.empty()) {
    return {};
  }
  // Only the first line is split; a break in the very first position does not count.
  const auto lineBreak = text.find(L'\r');
  const bool wholeText = lineBreak == std::wstring::npos || lineBreak == 0;
  const std::wstring line = wholeText ? text : text.substr(0, lineBreak);

  std::wstring word;
  const auto at = delimiter.empty() ? std::wstring::npos : line.find(delimiter);
  if (at != std::wstring::npos) {
    word = line.substr(0, at);
    text.erase(0, at + delimiter.size());
  } else {
    word = line;
    if (line.size() == text.size()) {
      text.clear();
    } else {
      text.erase(0, line.size() + 1);
      if (!text.empty() && text.front() == L'\n') {
        text.erase(0, 1);
      }
    }
  }
  if (trimLeading) {
    text = TrimLeadingSpaces(text);
  }
  return word;
}

bool ReadCommandLine(Platform& p, RunOptions& options, CommandFlags& flags) {
  std::wstring command = p.CommandLine();
  while (!command.empty()) {
    const std::wstring word = NextWord(command);
    if (!ApplyKeyword(word, options, flags)) {
      // Nothing chosen so far takes effect: the program ends after the usage box.
      flags.bInvalidWord = true;
      ShowUsage(p, word);
      return false;
    }
  }
  return true;
}

}  // namespace vtr
