#include "msiexec_args.h"

#include <cwctype>

namespace vtrstub {
namespace {

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

size_t SkipBlanks(const std::wstring& text, size_t at) {
  while (at < text.size() && IsBlank(text[at])) {
    ++at;
  }
  return at;
}

// The end of the word starting at `at`: a quoted part runs to its closing quote, and the word
// ends at the first blank outside quotes.
size_t WordEnd(const std::wstring& text, size_t at) {
  bool quoted = false;
  for (; at < text.size(); ++at) {
    if (text[at] == L'"') {
      quoted = !quoted;
    } else if (!quoted && IsBlank(text[at])) {
      break;
    }
  }
  return at;
}

bool IsRepairSwitch(const std::wstring& word) {
  if (word.size() < 2 || (word[0] != L'/' && word[0] != L'-') || std::towlower(word[1]) != L'f') {
    return false;
  }
  for (size_t i = 2; i < word.size(); ++i) {
    if (!std::iswalpha(word[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::wstring ArgumentsOf(const std::wstring& commandLine) {
  return commandLine.substr(SkipBlanks(commandLine, WordEnd(commandLine, 0)));
}

std::wstring PassedOnArguments(const std::wstring& arguments) {
  const size_t switchEnd = WordEnd(arguments, 0);
  const std::wstring repair = arguments.substr(0, switchEnd);
  if (!IsRepairSwitch(repair)) {
    return arguments;
  }
  const size_t packageStart = SkipBlanks(arguments, switchEnd);
  const size_t packageEnd = WordEnd(arguments, packageStart);
  const std::wstring package = arguments.substr(packageStart, packageEnd - packageStart);
  if (package.empty() || package[0] == L'{') {
    return arguments;  // a product code: nothing to install from
  }
  const std::wstring letters = repair.size() > 2 ? repair.substr(2) : L"omus";
  return L"/i " + package + arguments.substr(packageEnd) + L" REINSTALL=ALL REINSTALLMODE=" +
         letters;
}

}  // namespace vtrstub
