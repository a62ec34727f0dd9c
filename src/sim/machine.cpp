// The simulated machine: the transcript, scripted faults and answers, processes, mutexes, clock.
#include "sim/machine.h"

#include <map>
#include <stdexcept>

#include "sim/utf8.h"

namespace vtr::sim {
namespace {

bool LooksAbsolute(const std::wstring& text) {
  const auto sep = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  return (text.size() >= 3 && text[1] == L':' && sep(text[2])) ||
         (text.size() >= 2 && sep(text[0]) && sep(text[1]));
}

}  // namespace

nlohmann::ordered_json Text(const std::wstring& text) {
  return ToUtf8(text);
}

nlohmann::ordered_json TextOrNull(const std::optional<std::wstring>& text) {
  return text ? Text(*text) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json ValueLine(const RegistryValue& value) {
  if (const auto* text = std::get_if<std::wstring>(&value)) {
    return Text(*text);
  }
  return std::get<uint32_t>(value);
}

Machine::Machine(Scenario scenario)
    : scenario_(std::move(scenario)),
      files_(*ParsePath(scenario_.ownFolder, WinPath{L"C:\\", {}, false}, false)),
      settings_(scenario_.settings),
      registry_(scenario_.registry),
      productStates_(scenario_.productStates),
      othersHold_(scenario_.othersHold),
      running_(scenario_.runningPrograms) {
  for (std::size_t i = 0; i < scenario_.files.size(); ++i) {
    try {
      files_.Add(scenario_.files[i]);
    } catch (const std::invalid_argument& e) {
      throw std::invalid_argument("scenario field files[" + std::to_string(i) + "]: " + e.what());
    }
  }

  // Windows' own folders are there, as on any machine, unless the scenario says otherwise;
  // their drives are there in any case.
  std::vector<std::wstring> standard;
  for (const FolderAnswers* answers :
       {&scenario_.folders, &scenario_.folderPath, &scenario_.specialFolderPath}) {
    for (const auto& [id, path] : *answers) {
      if (path) {
        standard.push_back(*path);
      }
    }
  }
  if (scenario_.systemFolder) {
    standard.push_back(*scenario_.systemFolder);
  }
  if (scenario_.tempFolder) {
    standard.push_back(*scenario_.tempFolder);
  }
  for (const std::wstring& text : standard) {
    if (!LooksAbsolute(text)) {
      continue;
    }
    if (const auto path = files_.Parse(text, false)) {
      files_.AddUnlisted(scenario_.standardFoldersExist ? *path : WinPath{path->root, {}, false},
                         true);
    }
  }
  // The program runs from its own folder, so that folder and the program file are there.
  const WinPath ownFolder = *files_.Parse(scenario_.ownFolder, false);
  files_.AddUnlisted(ownFolder, true);
  if (files_.IsFolder(ownFolder)) {
    files_.AddUnlisted(ownFolder.Child(scenario_.ownFileName + L".exe"), false);
  }
}

std::size_t Machine::Begin(const char* op, std::optional<Line> args) {
  Line line;
  line["op"] = op;
  if (args) {
    line["args"] = std::move(*args);
  }
  transcript_.push_back(std::move(line));
  const std::size_t index = transcript_.size() - 1;
  const int call = ++callCounts_[op];
  for (const Fault& fault : scenario_.faults) {
    if (fault.op == op && (!fault.call || *fault.call == call)) {
      if (!fault.result) {
        Raise(index, fault.error);
      }
      forced_.emplace(index, *fault.result);
      break;
    }
  }
  return index;
}

const nlohmann::json* Machine::Forced(std::size_t line) const {
  const auto it = forced_.find(line);
  return it == forced_.end() ? nullptr : &it->second;
}

void Machine::Result(std::size_t line, Line value) {
  transcript_[line]["result"] = std::move(value);
}

void Machine::Note(std::size_t line, const char* key, Line value) {
  transcript_[line][key] = std::move(value);
}

std::size_t Machine::Append(Line line) {
  transcript_.push_back(std::move(line));
  return transcript_.size() - 1;
}

void Machine::Raise(std::size_t line, const RunError& error) {
  transcript_[line]["raised"] =
      Line{{"number", error.number}, {"description", Text(error.description)}};
  throw error;
}

std::optional<MsgAnswer> Machine::NextMsgBoxAnswer() {
  if (msgboxUsed_ < scenario_.msgboxAnswers.size()) {
    return scenario_.msgboxAnswers[msgboxUsed_++];
  }
  return std::nullopt;
}

std::optional<std::optional<std::wstring>> Machine::NextInputBoxAnswer() {
  if (inputboxUsed_ < scenario_.inputboxAnswers.size()) {
    return scenario_.inputboxAnswers[inputboxUsed_++];
  }
  return std::nullopt;
}

std::optional<std::optional<std::wstring>> Machine::NextFolderPickerAnswer() {
  if (pickerUsed_ < scenario_.folderPickerAnswers.size()) {
    return scenario_.folderPickerAnswers[pickerUsed_++];
  }
  return std::nullopt;
}

const UserEvent* Machine::NextEvent() {
  if (eventsUsed_ < scenario_.events.size()) {
    return &scenario_.events[eventsUsed_++];
  }
  return nullptr;
}

std::optional<std::string> Machine::UnplayedEvents() const {
  const std::size_t left = scenario_.events.size() - eventsUsed_;
  if (left == 0) {
    return std::nullopt;
  }
  // The script expected a window that was no longer (or never) open: its test is wrong.
  return "events[" + std::to_string(eventsUsed_) + "] and after: " + std::to_string(left) +
         (left == 1 ? " scripted event was" : " scripted events were") +
         " not played, because the wizard was not open any more (or never opened)";
}

std::vector<std::string> Machine::UnusedAnswers() const {
  std::vector<std::string> unused;
  const auto add = [&](const char* kind, std::size_t total, std::size_t used) {
    if (used < total) {
      unused.push_back(std::to_string(total - used) + " scripted " + kind +
                       (total - used == 1 ? " answer was" : " answers were") + " not used");
    }
  };
  add("msgbox", scenario_.msgboxAnswers.size(), msgboxUsed_);
  add("inputbox", scenario_.inputboxAnswers.size(), inputboxUsed_);
  add("folderPicker", scenario_.folderPickerAnswers.size(), pickerUsed_);
  return unused;
}

std::optional<int> Machine::StartProcess(const std::wstring& applicationPath,
                                         const std::wstring& commandLine) {
  const ProcessRule* match = nullptr;
  for (const ProcessRule& rule : scenario_.processes) {
    if (ContainsIgnoringCase(commandLine, rule.match) ||
        ContainsIgnoringCase(applicationPath, rule.match)) {
      match = &rule;
      break;
    }
  }
  if (match != nullptr && !match->started) {
    return std::nullopt;
  }
  processes_.push_back(Process{match, false});
  return static_cast<int>(processes_.size());
}

void Machine::EndProcess(int process) {
  Process& p = processes_.at(static_cast<std::size_t>(process - 1));
  if (p.ended) {
    return;
  }
  p.ended = true;
  if (p.rule == nullptr) {
    return;
  }
  for (const auto& [code, state] : p.rule->setProductStates) {
    productStates_.Set(code, state);
  }
  for (const WinPath& path : p.rule->removeFiles) {
    files_.Remove(path);
  }
  for (const FileEntry& entry : p.rule->createFiles) {
    try {
      files_.Place(entry);
    } catch (const std::invalid_argument& e) {
      ScenarioError("process " + std::to_string(process) + " could not create a file: " + e.what());
    }
  }
}

namespace {

// One look at something another process holds for a number of looks, or for ever.
bool CountDown(std::map<std::wstring, std::optional<int>>& table, const std::wstring& name) {
  const auto other = table.find(name);
  if (other == table.end()) {
    return false;
  }
  if (!other->second) {
    return true;  // held for ever
  }
  if (*other->second == 0) {
    table.erase(other);  // the other process has let go, or ended
    return false;
  }
  --*other->second;
  return true;
}

}  // namespace

bool Machine::MutexTaken(const std::wstring& name) {
  return held_.count(name) > 0 || CountDown(othersHold_, name);
}

bool Machine::ProgramRunning(const std::wstring& path) {
  const auto parsed = ParsePath(path, WinPath{L"C:\\", {}, false}, false);
  return parsed && CountDown(running_, parsed->Key());
}

void Machine::Advance(int32_t milliseconds) {
  pausedMs_ += milliseconds > 0 ? milliseconds : 0;
}

namespace {

// Days since 1970-01-01 of a date of the Gregorian calendar, and back.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

bool IsPause(const Line& line) {
  return line.contains("op") && line["op"] == "Pause";
}

bool IsRepeat(const Line& line) {
  return line.contains("repeated");
}

}  // namespace

LocalTime Machine::Clock() const {
  const LocalTime& start = scenario_.now;
  const int64_t seconds = DaysFromCivil(start.year, start.month, start.day) * 86400 +
                          start.hour * 3600 + start.minute * 60 + start.second + pausedMs_ / 1000;
  LocalTime t;
  CivilFromDays(seconds / 86400, t.year, t.month, t.day);
  const int64_t inDay = seconds % 86400;
  t.hour = static_cast<int>(inDay / 3600);
  t.minute = static_cast<int>(inDay / 60 % 60);
  t.second = static_cast<int>(inDay % 60);
  return t;
}

void Machine::FoldRepeats() {
  const std::size_t end = transcript_.size();
  if (end == 0 || !IsPause(transcript_[end - 1])) {
    return;
  }
  // The block: the lines since the last pause (or count of repeats), this pause included.
  std::size_t start = end - 1;
  while (start > 0 && !IsPause(transcript_[start - 1]) && !IsRepeat(transcript_[start - 1])) {
    --start;
  }
  if (start == 0) {
    return;
  }
  const std::size_t length = end - start;
  for (std::size_t i = start; i < end; ++i) {
    if (!transcript_[i].contains("op")) {
      return;  // the user did something meanwhile: that is no repeat
    }
  }
  const bool counted = IsRepeat(transcript_[start - 1]);
  // The block before it ends at the count, or at the pause just before this block.
  const std::size_t earlierEnd = counted ? start - 1 : start;
  if (earlierEnd < length) {
    return;
  }
  const std::size_t earlierStart = earlierEnd - length;
  for (std::size_t i = 0; i < length; ++i) {
    if (transcript_[earlierStart + i] != transcript_[start + i]) {
      return;
    }
  }
  if (counted) {
    Line& count = transcript_[start - 1];
    count["times"] = count["times"].get<int>() + 1;
  } else {
    Line calls = Line::array();
    for (std::size_t i = start; i < end; ++i) {
      calls.push_back(transcript_[i]["op"]);
    }
    transcript_.resize(start);
    transcript_.push_back(Line{{"repeated", std::move(calls)}, {"times", 1}});
    return;
  }
  transcript_.resize(start);
}

bool Machine::WaitFails(int process) const {
  const Process& p = processes_.at(static_cast<std::size_t>(process - 1));
  return p.rule != nullptr && p.rule->waitFails;
}

std::optional<uint32_t> Machine::ExitCodeOf(int process) const {
  const Process& p = processes_.at(static_cast<std::size_t>(process - 1));
  if (!p.ended) {
    return std::nullopt;
  }
  return p.rule == nullptr ? 0 : p.rule->exitCode;
}

}  // namespace vtr::sim
