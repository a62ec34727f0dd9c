// Small text helpers shared by every subsystem. Comparisons "ignoring case" fold the letters of
// the ANSI (Latin-1) range, as the keyword, file-name and edition-ID comparisons need.
#pragma once

#include <cstddef>
#include <string>

namespace vtr {

// The characters every message and command line is built with: a lone carriage return breaks
// a box's lines, the double quote surrounds paths on command lines.
inline const std::wstring gsSpace = L" ";
inline const std::wstring gsTab = L"\t";
inline const std::wstring gsQuote = L"\"";
inline const std::wstring gsCR = L"\r";
inline const std::wstring gsCRLF = L"\r\n";

std::wstring UpperCase(std::wstring text);
bool EqualsNoCase(const std::wstring& a, const std::wstring& b);
// The first n characters of text equal prefix (a shorter text compares as it is).
bool LeftEqualsNoCase(const std::wstring& text, std::size_t n, const std::wstring& prefix);
bool EndsWithNoCase(const std::wstring& text, const std::wstring& suffix);
// 1-based position of the last occurrence of what in text, ignoring case; 0 when absent.
std::size_t LastPositionNoCase(const std::wstring& text, const std::wstring& what);
bool Contains(const std::wstring& text, const std::wstring& what);
// Leading or trailing blanks (spaces only) removed.
std::wstring TrimLeadingSpaces(const std::wstring& text);
std::wstring TrimTrailingSpaces(const std::wstring& text);
// "True" or "False", as flags are written in messages.
std::wstring FlagWord(bool flag);
// The text "description (number)" that most error handlers show after their label.
std::wstring DescribeError(const std::wstring& description, long long number);

// A box's text on one line: its lines joined by " | ", blank lines and control characters
// left out.
std::wstring OneLine(const std::wstring& text);

}  // namespace vtr
