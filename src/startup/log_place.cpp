// Where the setup log goes: the default folder, the folder or the file LOG names, and the log's
// new file there.
#include "detect/folders.h"
#include "startup/setup_log.h"
#include "util/paths.h"
#include "util/text.h"

namespace vtr {
namespace {

// Setup's own folder of logs under ProgramData, for elevated runs.
constexpr wchar_t kOwnLogFolder[] = L"Vantora\\Setup Logs";
constexpr wchar_t kGoesOnWithout[] = L". The run goes on without it.";

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// Makes the folder and every missing folder above it; raises the error of the first that
// cannot be made.
void MakeFolders(Platform& p, const std::wstring& folder) {
  if (IsRootFolder(folder) || SYS_FolderExists(p, folder, false)) {
    return;
  }
  const auto cut = folder.find_last_of(L"\\/");
  if (cut != std::wstring::npos && cut > 0) {
    MakeFolders(p, folder.substr(0, cut));
  }
  p.MakeFolder(folder);
}

// True when path names a folder, not a file: a search for files of any kind (hidden, system and
// read-only too) finds nothing there.
bool IsFolderThere(Platform& p, const std::wstring& path) {
  constexpr int kAnyFile = kAttrAll & ~16;  // every attribute but the folder's
  if (!SYS_FolderExists(p, path, false)) {
    return false;
  }
  bool file = true;  // a name that cannot be searched is left to the file's own checks
  Attempt([&] { file = !p.FindFirst(path, kAnyFile).empty(); },
          [](const RunError&) { return OnError::Stop; });
  return !file;
}

// "C:\Logs\vtr <run id>.log" beside "C:\Logs\vtr.log": the extension is .log or .txt.
std::wstring BesideName(const std::wstring& path, const std::wstring& runId) {
  const std::size_t dot = path.size() - 4;
  const bool bare = dot == 0 || IsSeparator(path[dot - 1]);  // a name that is only ".log"
  return path.substr(0, dot) + (bare ? L"" : L" ") + runId + path.substr(dot);
}

}  // namespace

std::wstring LogFileNamed(const std::wstring& path) {
  const auto cut = path.find_last_of(L"\\/");
  const std::wstring last = cut == std::wstring::npos ? path : path.substr(cut + 1);
  return EndsWithNoCase(last, L".log") || EndsWithNoCase(last, L".txt") ? last : L"";
}

std::wstring SetupLog::TempLogFolder() {
  std::wstring folder;
  // A folder that cannot be read is reported below as a missing one.
  Attempt([&] { folder = p_.TempFolder(); },
          [&](const RunError&) {
            folder.clear();
            return OnError::Stop;
          });
  if (folder.empty()) {
    p_.WriteStandardError(
        L"VTR Setup: the setup log cannot be written: Windows names no temporary folder. The "
        L"run goes on without it.");
  }
  return folder;
}

std::wstring SetupLog::DefaultLogFolder() {
  if (!elevated_) {
    return TempLogFolder();
  }
  std::wstring folder;
  Attempt([&] { folder = p_.SystemTempFolder(); },
          [&](const RunError&) {
            folder.clear();  // setup's own folder serves as well
            return OnError::Stop;
          });
  if (!folder.empty()) {
    protectedFolder_ = true;
    return folder;
  }
  std::optional<std::wstring> data;
  Attempt([&] { data = p_.FolderPath(kCsidlCommonAppData); },
          [&](const RunError&) {
            data.reset();
            return OnError::Stop;
          });
  if (!data || data->empty()) {
    p_.WriteStandardError(
        L"VTR Setup: the setup log cannot be written: Windows names no folder for programs' "
        L"data (ProgramData)" +
        std::wstring(kGoesOnWithout));
    return {};
  }
  folder = JoinPath(*data, L"\\", kOwnLogFolder);
  if (!Attempt([&] { p_.MakeProtectedFolder(folder); },
               [&](const RunError& e) {
                 p_.WriteStandardError(L"VTR Setup: the setup log cannot be written: its folder " +
                                       folder +
                                       L" cannot be made so that only administrators "
                                       L"may change it: " +
                                       DescribeError(e.description, e.number) + kGoesOnWithout);
                 return OnError::Stop;
               })) {
    return {};
  }
  protectedFolder_ = true;
  return folder;
}

std::wstring SetupLog::AskedLogFolder() {
  const std::wstring& asked = o_.gsLogAsked;
  fileAsked_ = LogFileNamed(asked);
  // A folder at the file's name (one that an earlier setup made of the same LOG) stays the
  // folder of the logs, so what reads them there keeps finding them.
  if (!fileAsked_.empty() && IsAbsoluteFolder(asked) && IsFolderThere(p_, asked)) {
    fileAsked_.clear();
  }
  // The file's folder keeps its closing separator until here, which a drive's root needs.
  std::wstring folder = asked.substr(0, asked.size() - fileAsked_.size());
  while (!folder.empty() && IsSeparator(folder.back()) && !IsRootFolder(folder)) {
    folder.pop_back();
  }
  const std::wstring named = fileAsked_.empty() ? L"VTR Setup: the log folder \"" + asked + L"\" "
                                                : L"VTR Setup: the folder \"" + folder +
                                                      L"\" of the log file \"" + asked + L"\" ";
  if (!IsAbsoluteFolder(folder)) {
    p_.WriteStandardError(
        fileAsked_.empty()
            ? named +
                  L"is not a full path (like C:\\Logs or \\\\server\\share\\Logs). The run "
                  L"goes on without its logs."
            : L"VTR Setup: the log file \"" + asked +
                  L"\" is not a full path (like C:\\Logs\\vtr.log or "
                  L"\\\\server\\share\\Logs\\vtr.log). The run goes on without its logs.");
    return {};
  }
  if (SYS_FolderExists(p_, folder, false)) {
    // A link or junction would send the logs wherever it points, also into a file someone else
    // names: it is never followed.
    bool link = true;
    std::wstring why = L"is a link or a junction, or lies below one: setup does not follow links";
    Attempt([&] { link = p_.PathHasLink(folder); },
            [&](const RunError& e) {
              why = L"cannot be checked for links (" + DescribeError(e.description, e.number) +
                    L"), and setup does not follow links";
              return OnError::Stop;
            });
    if (!link) {
      return folder;
    }
    // The default folder takes the log under its own name, where a reader looks for it.
    fileAsked_.clear();
    const std::wstring fallback = DefaultLogFolder();
    p_.WriteStandardError(named + why + L". " +
                          (fallback.empty() ? std::wstring(L"The run goes on without its logs.")
                                            : L"The logs go to " + fallback + L" instead."));
    return fallback;
  }
  // An elevated run makes the folders it needs so that only administrators may change them, as
  // a folder made below C:\ would otherwise let every user write into it.
  if (!Attempt(
          [&] {
            if (elevated_) {
              p_.MakeProtectedFolder(folder);
              protectedFolder_ = true;
            } else {
              MakeFolders(p_, folder);
            }
          },
          [&](const RunError& e) {
            p_.WriteStandardError(named + L"cannot be made: " +
                                  DescribeError(e.description, e.number) +
                                  L". The run goes on without its logs.");
            return OnError::Stop;
          })) {
    return {};
  }
  return folder;
}

std::optional<std::wstring> SetupLog::Open(const std::wstring& folder) {
  const std::wstring first = JoinPath(
      folder, L"\\", fileAsked_.empty() ? L"VTR Setup " + o_.gsRunId + L".log" : fileAsked_);
  // The file LOG names is made under its own name only. Where something is there already (an
  // earlier run's log, as a tool passes the same name every time), the log goes beside it under
  // the run's id, so no run writes into another's file.
  const std::wstring free = fileAsked_.empty() ? first : BesideName(first, o_.gsRunId);
  if (!Attempt(
          [&] {
            if (free != first) {
              file_ = p_.CreateLogFile(first);
              if (file_) {
                path_ = first;
                return;
              }
            }
            file_ = MakeUnderFreeName(
                free, path_, [&](const std::wstring& name) { return p_.CreateLogFile(name); });
          },
          [&](const RunError& e) {
            p_.WriteStandardError(L"VTR Setup: the setup log " + first + L" cannot be written: " +
                                  DescribeError(e.description, e.number) + kGoesOnWithout);
            return OnError::Stop;
          })) {
    return std::nullopt;
  }
  if (!file_) {
    p_.WriteStandardError(
        L"VTR Setup: the setup log cannot be written: something is already at " + first +
        L" and at each of the other names tried, up to " + NumberedPath(free, kNewFileNames) +
        L" (setup does not write, read or follow what it finds there)" + kGoesOnWithout);
    return std::nullopt;
  }
  if (path_ == first) {
    return std::nullopt;
  }
  // Somebody knew the name before the run began: the administrator is to know.
  const std::wstring moved = L"something is already at " + first +
                             L" (setup does not write, read or follow it): the setup log is " +
                             path_;
  p_.WriteStandardError(L"VTR Setup: " + moved);
  return moved;
}

}  // namespace vtr
