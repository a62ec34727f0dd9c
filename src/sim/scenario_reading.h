// The readers of a scenario's parts, for the scenario reader: each reads one field's value
// and throws std::invalid_argument naming the field when it is wrong.
#pragma once

#include <initializer_list>
#include <optional>

#include "sim/scenario.h"
#include "sim/scenario_field.h"

namespace vtr::sim {

// A full path ("C:\...", "\\server\share\...").
WinPath AbsolutePath(const Field& field);
// {"number": ..., "description": ...}; the description may be left out for a well-known
// number. extra names the other fields the object may have.
RunError ReadError(const Field& field, std::initializer_list<const char*> extra = {});
// A path, or {"path", "folder", "readOnly", "hidden", "system"}.
FileEntry ReadFileEntry(const Field& field);
// Folder answers by CSIDL number.
FolderAnswers ReadFolders(const Field& field);
void ReadOsVersion(const Field& field, Scenario& s);
void ReadInstaller(const Field& field, Scenario& s);
void ReadSettings(const Field& field, Scenario& s);
void ReadRegistry(const Field& field, Scenario& s);
// The scripted answers of boxes, input boxes and the folder picker.
void ReadAnswers(const Field& field, Scenario& s);
ProcessRule ReadProcessRule(const Field& field);
// "2024-05-01 10:22:33".
LocalTime ReadTime(const Field& field);
// How long another program holds a mutex: a number of polls, or "always" (nothing).
std::optional<int> ReadPolls(const Field& field);
// A fault to inject into an operation: it raises an error, or answers a failing result.
Fault ReadFault(const Field& field);
// "pin": "actions", an operation's name, or a list of them.
Pin ReadPin(const Field& field);

}  // namespace vtr::sim
