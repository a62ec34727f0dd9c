// The call log the test stubs share: every stub appends one JSON line saying who it is, how
// it was called and from which folder, so a Wine test can check what the setup program
// started, with which arguments, and in which order.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../driver/json_line.h"

namespace vtrstub {

// Where every stub writes: one file in the test tools folder of the prefix, so the order of
// lines is the order of the calls across all stubs.
inline constexpr wchar_t kCallLog[] = L"C:\\vtrtest\\calls.jsonl";

// Appends the object as one line. Stubs that the setup program starts without waiting may
// run at the same moment, so the file is opened exclusively and the write retried.
void AppendCall(const vtrdrive::JsonLine& line);

// Appends the line of a stub program that only says it ran: its name and path, its command
// line, its current folder and when it was created.
void RecordThisProgram();

// The full path of a module (nullptr: the running program).
std::wstring ModulePath(HMODULE module);

// The file name part of a path.
std::wstring FileName(const std::wstring& path);

// The folder part of a path, without the last separator.
std::wstring FolderOf(const std::wstring& path);

std::wstring CurrentFolder();

// When the running process was created, in 100-nanosecond steps since 1601: the order in
// which the setup program started its children, even when a child that was started first
// writes its line later.
int64_t ProcessCreated();

// The names of the files under a folder and its subfolders, relative to it, sorted.
std::vector<std::wstring> FilesUnder(const std::wstring& folder);

// The lines of a UTF-8 text file without their line ends; empty when the file is missing.
std::vector<std::wstring> ReadLines(const std::wstring& path);

}  // namespace vtrstub
