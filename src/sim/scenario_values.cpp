// Reading the values of a scenario's fields: paths, errors, files, folders, the installer,
// settings, the registry, scripted answers, process and shell rules, times.
#include <algorithm>
#include <cstdio>
#include <limits>

#include "sim/scenario_reading.h"
#include "sim/utf8.h"

namespace vtr::sim {
namespace {

const WinPath kNoBase{L"C:\\", {}, false};

// The run-time error texts of the numbers a scenario is most likely to use.
std::optional<std::wstring> KnownDescription(int32_t number) {
  static const std::map<int32_t, const wchar_t*> kKnown = {
      {5, L"Invalid procedure call or argument"},
      {6, L"Overflow"},
      {7, L"Out of memory"},
      {9, L"Subscript out of range"},
      {11, L"Division by zero"},
      {13, L"Type mismatch"},
      {52, L"Bad file name or number"},
      {53, L"File not found"},
      {57, L"Device I/O error"},
      {58, L"File already exists"},
      {61, L"Disk full"},
      {68, L"Device unavailable"},
      {70, L"Permission denied"},
      {71, L"Disk not ready"},
      {75, L"Path/File access error"},
      {76, L"Path not found"},
      {91, L"Object variable or With block variable not set"},
      {429, L"ActiveX component can't create object"},
      {438, L"Object doesn't support this property or method"},
  };
  const auto it = kKnown.find(number);
  if (it == kKnown.end()) {
    return std::nullopt;
  }
  return it->second;
}

MsgAnswer ReadMsgBoxAnswer(const Field& field) {
  const std::wstring text = field.Text();
  static const std::pair<const wchar_t*, MsgAnswer> kAnswers[] = {{L"OK", MsgAnswer::Ok},
                                                                  {L"Cancel", MsgAnswer::Cancel},
                                                                  {L"Yes", MsgAnswer::Yes},
                                                                  {L"No", MsgAnswer::No},
                                                                  {L"Retry", MsgAnswer::Retry}};
  for (const auto& [name, answer] : kAnswers) {
    if (EqualsIgnoringCase(text, name)) {
      return answer;
    }
  }
  field.Fail("a message box is answered with OK, Cancel, Yes, No or Retry, not \"" + ToUtf8(text) +
             "\"");
}

std::wstring ReadMatch(const Field& f) {
  std::wstring match = f.Text();
  if (match.empty()) {
    f.Fail("an empty text would match everything; leave the rule out instead");
  }
  return match;
}

}  // namespace

WinPath AbsolutePath(const Field& field) {
  const std::wstring text = field.Text();
  PathError error;
  const bool absolute =
      (text.size() >= 3 && text[1] == L':' && (text[2] == L'\\' || text[2] == L'/')) ||
      (text.size() >= 2 && (text[0] == L'\\' || text[0] == L'/') &&
       (text[1] == L'\\' || text[1] == L'/'));
  if (!absolute) {
    field.Fail("\"" + ToUtf8(text) + "\" is not a full path (like C:\\Folder\\File.txt)");
  }
  const auto path = ParsePath(text, kNoBase, false, &error);
  if (!path) {
    field.Fail("\"" + ToUtf8(text) + "\" is not a usable path: " + ToUtf8(error.reason));
  }
  return *path;
}

RunError ReadError(const Field& field, std::initializer_list<const char*> extra) {
  std::optional<int32_t> number;
  std::optional<std::wstring> description;
  std::vector<const char*> known = {"number", "description"};
  known.insert(known.end(), extra.begin(), extra.end());
  field.Expect(field.Value().is_object(), "an object");
  for (const auto& item : field.Value().items()) {
    const std::string& key = item.key();
    if (std::find_if(known.begin(), known.end(), [&](const char* k) { return key == k; }) ==
        known.end()) {
      field.Fail("unknown field \"" + key + "\"");
    }
    const Field f(item.value(), field.Where() + "." + key);
    if (key == "number") {
      number = f.Int32();
    } else if (key == "description") {
      description = f.Text();
    }
  }
  if (!number) {
    field.Fail("the error needs a \"number\"");
  }
  if (!description) {
    description = KnownDescription(*number);
    if (!description) {
      field.Fail("error " + std::to_string(*number) + " needs a \"description\"");
    }
  }
  return RunError{*number, *description};
}

FileEntry ReadFileEntry(const Field& field) {
  if (field.Value().is_string()) {
    return FileEntry{AbsolutePath(field), false, false, false, false, true};
  }
  FileEntry entry;
  entry.listed = true;
  bool hasPath = false;
  field.Members({"path", "folder", "readOnly", "hidden", "system"},
                [&](const std::string& key, const Field& f) {
                  if (key == "path") {
                    entry.path = AbsolutePath(f);
                    hasPath = true;
                  } else if (key == "folder") {
                    entry.folder = f.Bool();
                  } else if (key == "readOnly") {
                    entry.readOnly = f.Bool();
                  } else if (key == "hidden") {
                    entry.hidden = f.Bool();
                  } else {
                    entry.system = f.Bool();
                  }
                });
  if (!hasPath) {
    field.Fail("a file entry needs a \"path\"");
  }
  if (entry.path.IsRoot()) {
    entry.folder = true;  // "D:\" names the drive itself
  }
  return entry;
}

FolderAnswers ReadFolders(const Field& field) {
  FolderAnswers answers;
  field.AnyMembers([&](const std::wstring& key, const Field& f) {
    const bool digits =
        !key.empty() && key.size() <= 4 &&
        std::all_of(key.begin(), key.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    if (!digits) {
      f.Fail("a folder id must be a CSIDL number written as text, like \"35\"");
    }
    answers[std::stoi(std::wstring(key))] = f.TextOrNull();
  });
  return answers;
}

void ReadOsVersion(const Field& field, Scenario& s) {
  if (field.Value().is_string()) {
    if (field.Value().get<std::string>() != "fails") {
      field.Fail("expected an object or the text \"fails\"");
    }
    s.osVersion.reset();
    return;
  }
  OsVersionRecord record = DefaultOsVersion();
  std::wstring servicePack = L"Service Pack 1";
  field.Members({"platformId", "major", "minor", "build", "servicePack"},
                [&](const std::string& key, const Field& f) {
                  if (key == "platformId") {
                    record.platformId = f.Int32();
                  } else if (key == "major") {
                    record.major = f.Int32();
                  } else if (key == "minor") {
                    record.minor = f.Int32();
                  } else if (key == "build") {
                    record.build = f.Int32();
                  } else {
                    servicePack = f.Text();
                    if (servicePack.size() > 127 || servicePack.find(L'\0') != std::wstring::npos) {
                      f.Fail("the service-pack text holds at most 127 characters and no NUL");
                    }
                  }
                });
  record.servicePack = ServicePackField(servicePack);
  s.osVersion = record;
}

void ReadInstaller(const Field& field, Scenario& s) {
  field.Members(
      {"productStates", "fails", "productStateFails", "installedPackageCodes", "installedVersions",
       "packageFileCodes", "packageProductCodes", "packageFileDigests"},
      [&](const std::string& key, const Field& f) {
        if (key == "productStates") {
          f.AnyMembers([&](const std::wstring& code, const Field& state) {
            s.productStates.Set(code, state.Int32());
          });
        } else if (key == "fails") {
          s.installerFails = ReadError(f);
        } else if (key == "installedPackageCodes" || key == "installedVersions" ||
                   key == "packageFileCodes" || key == "packageProductCodes" ||
                   key == "packageFileDigests") {
          auto& table = key == "installedPackageCodes" ? s.installedPackageCodes
                        : key == "installedVersions"   ? s.installedVersions
                        : key == "packageFileCodes"    ? s.packageFileCodes
                        : key == "packageProductCodes" ? s.packageProductCodes
                                                       : s.packageFileDigests;
          f.AnyMembers(
              [&](const std::wstring& name, const Field& code) { table.Set(name, code.Text()); });
        } else {
          f.AnyMembers([&](const std::wstring& code, const Field& error) {
            s.productStateFails.Set(code, ReadError(error));
          });
        }
      });
}

void ReadSettings(const Field& field, Scenario& s) {
  field.AnyMembers([&](const std::wstring& application, const Field& sections) {
    auto& app = s.settings.Entry(application);
    sections.AnyMembers([&](const std::wstring& sectionName, const Field& keys) {
      auto& section = app.Entry(sectionName);
      keys.AnyMembers(
          [&](const std::wstring& key, const Field& value) { section.Set(key, value.Text()); });
    });
  });
}

void ReadRegistry(const Field& field, Scenario& s) {
  field.AnyMembers([&](const std::wstring& name, const Field& values) {
    std::wstring key = name;
    while (!key.empty() && key.back() == L'\\') {
      key.pop_back();
    }
    const std::wstring hive = key.substr(0, 5);
    if (!EqualsIgnoringCase(hive, L"HKLM\\") && !EqualsIgnoringCase(hive, L"HKCU\\")) {
      values.Fail("a key's name begins with HKLM\\ or HKCU\\");
    }
    auto& table = s.registry.Entry(key);
    values.AnyMembers([&](const std::wstring& valueName, const Field& value) {
      if (value.Value().is_string()) {
        table.Set(valueName, value.Text());
      } else {
        table.Set(valueName, static_cast<uint32_t>(value.Integer(0, 0xFFFFFFFFLL)));
      }
    });
  });
}

void ReadAnswers(const Field& field, Scenario& s) {
  field.Members({"msgbox", "inputbox", "folderPicker"},
                [&](const std::string& key, const Field& f) {
                  f.Items([&](const Field& item) {
                    if (key == "msgbox") {
                      s.msgboxAnswers.push_back(ReadMsgBoxAnswer(item));
                    } else if (key == "inputbox") {
                      s.inputboxAnswers.push_back(item.TextOrNull());
                    } else {
                      s.folderPickerAnswers.push_back(item.TextOrNull());
                    }
                  });
                });
}

ProcessRule ReadProcessRule(const Field& field) {
  ProcessRule rule;
  bool hasMatch = false;
  field.Members(
      {"match", "started", "waitFails", "exitCode", "setProductStates", "createFiles",
       "removeFiles"},
      [&](const std::string& key, const Field& f) {
        if (key == "match") {
          rule.match = ReadMatch(f);
          hasMatch = true;
        } else if (key == "started") {
          rule.started = f.Bool();
        } else if (key == "waitFails") {
          rule.waitFails = f.Bool();
        } else if (key == "exitCode") {
          rule.exitCode = static_cast<uint32_t>(f.Integer(0, 0xFFFFFFFFLL));
        } else if (key == "setProductStates") {
          f.AnyMembers([&](const std::wstring& code, const Field& state) {
            rule.setProductStates.emplace_back(code, state.Int32());
          });
        } else if (key == "createFiles") {
          f.Items([&](const Field& item) { rule.createFiles.push_back(ReadFileEntry(item)); });
        } else {
          f.Items([&](const Field& item) { rule.removeFiles.push_back(AbsolutePath(item)); });
        }
      });
  if (!hasMatch) {
    field.Fail("a process rule needs a \"match\"");
  }
  return rule;
}

// "2024-05-01 10:22:33".
LocalTime ReadTime(const Field& field) {
  const std::string text = ToUtf8(field.Text());
  LocalTime t;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour,
                  &t.minute, &t.second, &extra) != 6 ||
      t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 ||
      t.second > 59) {
    field.Fail("\"" + text + "\" is not a date and time like \"2024-05-01 10:22:33\"");
  }
  return t;
}

// How long another program holds a mutex: a number of polls, or "always".
std::optional<int> ReadPolls(const Field& field) {
  if (field.Value().is_string()) {
    if (field.Value().get<std::string>() != "always") {
      field.Fail("expected a number of polls or the text \"always\"");
    }
    return std::nullopt;
  }
  return static_cast<int>(field.Integer(0, std::numeric_limits<int>::max()));
}

}  // namespace vtr::sim
