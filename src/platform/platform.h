// Every operation the setup program asks of Windows, of its runtime and of Windows Installer.
// The core only composes texts, decides and calls these; it never includes <windows.h>.
// Operations that fail by raising throw RunError; the others report through their result.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "platform/run_error.h"
#include "platform/window_view.h"

namespace vtr {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgAnswer { Ok, Cancel, Yes, No, Retry };

// The answer a box gets when no person gives one, because nobody can answer it or it could not
// be shown: the one that changes least. A box with only OK is acknowledged; a question is
// answered No or Cancel, so a question nobody saw never starts anything.
inline MsgAnswer CautiousAnswer(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok:
      return MsgAnswer::Ok;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel:
    case MsgButtons::RetryCancel:
      return MsgAnswer::Cancel;
    case MsgButtons::YesNo:
      return MsgAnswer::No;
  }
  return MsgAnswer::Cancel;
}
enum class MousePointer { Default, Busy };

// Find-file attribute masks: normal files only, or folders, hidden, system and read-only too.
inline constexpr int kAttrNormal = 0;
inline constexpr int kAttrAll = 23;

// What GetVersionEx fills in; all zero and an empty service-pack text when the query failed.
struct OsVersionRecord {
  int32_t platformId = 0;
  int32_t major = 0;
  int32_t minor = 0;
  int32_t build = 0;
  std::wstring servicePack;  // the whole 128-character field, filler included
};

// The local date and time, as the clock shows it.
struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Who runs the program, as Windows names them; a name Windows cannot give is "".
struct ProcessIdentity {
  std::wstring computer;  // the computer's NetBIOS name
  std::wstring account;   // "DOMAIN\user", as Windows names the account the process runs as
  uint32_t processId = 0;
};

struct AppVersion {
  int major = 0;
  int minor = 0;
  int revision = 0;
};

// How a program was started for the person at the desktop: by the desktop's shell, which runs
// it as the desktop's user; as setup's own child, where no desktop shell runs; or not at all,
// because it is not there or for another reason.
enum class LaunchWay { DesktopShell, OwnProcess, NotFound, NotStarted };
struct DesktopLaunch {
  LaunchWay way = LaunchWay::NotStarted;
  std::wstring detail;  // why the desktop's shell was not asked, or what failed
};

// A started child process. Destroying it closes its handles; the process itself runs on.
class ChildProcess {
 public:
  virtual ~ChildProcess() = default;
  // Waits until the process ends or timeoutMs passes (-1 waits forever). True when it ended.
  virtual bool Wait(int32_t timeoutMs) = 0;
  // The exit code, once the process has ended.
  virtual std::optional<uint32_t> ExitCode() = 0;
};

// The Windows Installer automation object ("windowsinstaller.installer").
class InstallerObject {
 public:
  virtual ~InstallerObject() = default;
  // The ProductState property (dispatch id 17) for a product code; raises on failure.
  virtual int32_t ProductState(const std::wstring& productCode) = 0;
  // The ProductInfo property (dispatch id 18): what Windows Installer keeps of an installed
  // product under an attribute ("PackageCode", "VersionString", ...); raises on failure.
  virtual std::wstring ProductInfo(const std::wstring& productCode,
                                   const std::wstring& attribute) = 0;
  // One property of a package file's summary information, as text: the SummaryInformation
  // property (dispatch id 5) of the file, opened read-only, then its Property (dispatch id 1).
  // Property 9 is the package code. Raises on failure.
  virtual std::wstring SummaryProperty(const std::wstring& packagePath, int32_t propertyId) = 0;
  // One row of a package file's Property table, as text ("" when the table has no such row):
  // the OpenDatabase method (dispatch id 4) of the file, read-only, then a view of the table
  // executed and fetched. Raises on failure.
  virtual std::wstring PackageProperty(const std::wstring& packagePath,
                                       const std::wstring& property) = 0;
};

// The registry outside the settings store: HKEY_LOCAL_MACHINE as the machine's own programs see
// it (on 64-bit Windows its 64-bit view, also for a 32-bit program), or HKEY_CURRENT_USER.
enum class RegistryHive { Machine, User };
// A registry value of one of the two kinds the program writes: a text (REG_SZ) or a number
// (REG_DWORD).
using RegistryValue = std::variant<std::wstring, uint32_t>;

// A file held open for reading, with writing and deleting denied to every other program, for as
// long as the object lives: what is read through it is what a later reader of the file gets.
class HeldFile {
 public:
  virtual ~HeldFile() = default;
  // The SHA-256 of the whole file, read through the held handle, as 64 lowercase hexadecimal
  // digits; raises on failure.
  virtual std::wstring Sha256() = 0;
};

// A log file this process made new and holds open, to itself alone for writing: others may read
// it, never write, rename or delete it. Destroying it closes the file.
class LogFile {
 public:
  virtual ~LogFile() = default;
  // Appends one line, UTF-8 and a line break; raises on failure.
  virtual void WriteLine(const std::wstring& line) = 0;
};

// A named mutex this process made and holds; destroying it lets go of it.
class HeldMutex {
 public:
  virtual ~HeldMutex() = default;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // --- User dialogs (modal) ---
  // A message box; lines are separated by a lone carriage return. No title: "VTR Setup".
  virtual MsgAnswer MsgBox(const std::wstring& text, MsgButtons buttons, MsgIcon icon,
                           const std::optional<std::wstring>& title) = 0;
  // An input box; the empty text when the user cancels or clears it.
  virtual std::wstring InputBox(const std::wstring& prompt, const std::wstring& title,
                                const std::wstring& defaultText) = 0;
  virtual void SetMousePointer(MousePointer pointer) = 0;

  // --- Program identity and session input ---
  // The running executable's file name without folder and extension.
  virtual std::wstring OwnFileName() = 0;
  // The folder holding the running executable, without a trailing separator.
  virtual std::wstring OwnFolder() = 0;
  // The application title, "VTR Setup".
  virtual std::wstring OwnTitle() = 0;
  virtual AppVersion OwnVersion() = 0;
  // The argument text after the program's own name, unsplit.
  virtual std::wstring CommandLine() = 0;
  // The wizard window's view: draws the form model and reports the user's actions to it.
  virtual WindowView& WizardView() = 0;
  // Delivers the user's actions to the wizard until done() is true (the form was unloaded)
  // or there are no more (the end of the Windows session).
  virtual void RunEventLoop(const std::function<bool()>& done) = 0;

  // --- Settings store (per user, strings only); both raise on failure ---
  virtual std::wstring GetSetting(const std::wstring& application, const std::wstring& section,
                                  const std::wstring& key, const std::wstring& defaultValue) = 0;
  virtual void SaveSetting(const std::wstring& application, const std::wstring& section,
                           const std::wstring& key, const std::wstring& value) = 0;
  // Removes one setting; one that is not there is no error. Raises on failure.
  virtual void DeleteSetting(const std::wstring& application, const std::wstring& section,
                             const std::wstring& key) = 0;

  // --- The registry outside the settings store ---
  // Keys are named below the hive ("Software\\..."); the name "" is a key's default value.
  // A value: nothing when the key or the value is not there, or holds another kind of value.
  // Raises on failure.
  virtual std::optional<RegistryValue> GetRegistryValue(RegistryHive hive, const std::wstring& key,
                                                        const std::wstring& name) = 0;
  // Writes a value, making the key (and the keys above it) where missing; raises on failure.
  virtual void SetRegistryValue(RegistryHive hive, const std::wstring& key,
                                const std::wstring& name, const RegistryValue& value) = 0;
  // Removes a value; one that is not there is no error. Raises on failure.
  virtual void DeleteRegistryValue(RegistryHive hive, const std::wstring& key,
                                   const std::wstring& name) = 0;
  // Removes a key with everything below it; one that is not there is no error. Raises on
  // failure.
  virtual void DeleteRegistryKey(RegistryHive hive, const std::wstring& key) = 0;
  // Whether this process may make and change the key: the key, or the nearest key above it
  // that exists, opened for writing. Without administrator rights HKEY_LOCAL_MACHINE says no.
  virtual bool CanWriteRegistryKey(RegistryHive hive, const std::wstring& key) = 0;

  // --- Files and folders ---
  // Starts a search: the name (no folder) of the first match of a path or pattern, or "".
  virtual std::wstring FindFirst(const std::wstring& pathOrPattern, int attributes) = 0;
  // Continues the last search: the next name, or "" when there is none.
  virtual std::wstring FindNext() = 0;
  // Makes one folder whose parent exists; raises on failure.
  virtual void MakeFolder(const std::wstring& path) = 0;
  // Creates (or empties) a file and closes it again at once; raises on failure.
  virtual void CreateEmptyFile(const std::wstring& path) = 0;
  // True when the file now lies under the new path.
  virtual bool MoveFileTo(const std::wstring& existingPath, const std::wstring& newPath) = 0;
  // Opens an existing file for reading and holds it (see HeldFile); raises when it cannot be
  // opened, for instance because another program is writing it. With digest, the file's
  // SHA-256 is begun at once, beside whatever the caller does next, and Sha256() waits for it.
  virtual std::unique_ptr<HeldFile> HoldFile(const std::wstring& path, bool digest) = 0;
  // The package digests the release recorded in this program, one "<sha256>  <file name>" a
  // line; "" for a build that recorded none.
  virtual std::wstring RecordedPackageDigests() = 0;

  // --- The protected cache ---
  // Makes a folder that only administrators and the system account may change (the system
  // account and Administrators full control, Users read and execute, nothing inherited), with
  // every missing folder above it made the same way; an existing one has its access list set
  // again. Raises, naming what failed, when the folder or a folder above it is a link or a
  // junction, or when it cannot be made or protected.
  virtual void MakeProtectedFolder(const std::wstring& path) = 0;
  // Whether the folder or file, or a folder above it, is a link or a junction (a reparse
  // point); raises when Windows cannot tell.
  virtual bool PathHasLink(const std::wstring& path) = 0;
  // A file's size in bytes; nothing when it is not there or cannot be asked.
  virtual std::optional<uint64_t> FileSize(const std::wstring& path) = 0;
  // The bytes of every file in a folder and the folders below it, links and junctions neither
  // followed nor counted; nothing when the folder is not there or cannot be read.
  virtual std::optional<uint64_t> FolderSize(const std::wstring& folder) = 0;
  // Copies a file into a protected folder under a name. The source is read once; what is read
  // is hashed (SHA-256) and written as it is read, into a new file in the folder that takes the
  // name (replacing an older copy) only once it is whole, so a copy that fails leaves no file.
  // The copy begins at once, beside whatever the caller does next. The returned copy is held
  // (see HeldFile): its Sha256() waits for the copy to end and is the digest of what was
  // written; it raises, naming what failed (a full disk, no rights), when the copy failed.
  // Raises at once when the copy cannot begin. A source that is the copy itself (a setup
  // started from the cache) is held and hashed as it is.
  virtual std::unique_ptr<HeldFile> CopyIntoFolder(const std::wstring& source,
                                                   const std::wstring& folder,
                                                   const std::wstring& name) = 0;
  // Deletes a file, a link as a link; one that is not there is no error. Raises on failure.
  virtual void RemoveFile(const std::wstring& path) = 0;
  // Removes a folder with everything in it, links inside removed as links, never followed; one
  // that is not there is no error. Raises on failure.
  virtual void RemoveFolderTree(const std::wstring& path) = 0;
  // Marks a file, or a folder, to be deleted when Windows next starts (MoveFileEx with
  // MOVEFILE_DELAY_UNTIL_REBOOT: the way to remove a program that is still running); a folder
  // goes then only if it is empty. Raises on failure (it needs administrator rights).
  virtual void DeleteAtRestart(const std::wstring& path) = 0;
  // SetCurrentDirectory: Windows removes no folder that is a process's current folder. Raises
  // on failure.
  virtual void SetCurrentFolder(const std::wstring& path) = 0;

  // --- Shell and processes ---
  // CreateProcess with no handle inherited and normal priority. applicationPath, when not
  // empty, is the full path of the program to run (no search); commandLine is what the child
  // sees. Null when the process did not start.
  virtual std::unique_ptr<ChildProcess> StartProcess(const std::wstring& applicationPath,
                                                     const std::wstring& commandLine,
                                                     const std::wstring& workFolder) = 0;
  // Starts a program (its full path, in workFolder) for the person at the desktop, without
  // setup's rights: the desktop's shell is asked to start it (its shell window's dispatch
  // object, IShellDispatch2::ShellExecute), so it runs as the desktop's user, unelevated. Only
  // where no desktop shell runs is it started as setup's own child (CreateProcess, no handle
  // inherited), not waited for. Never raises.
  virtual DesktopLaunch StartAsDesktopUser(const std::wstring& program,
                                           const std::wstring& workFolder) = 0;

  // --- System information ---
  virtual OsVersionRecord OsVersion() = 0;
  // SHGetFolderPath (current path, no token): the path, or nothing when it reports failure.
  virtual std::optional<std::wstring> FolderPath(int csidl) = 0;
  // SHGetSpecialFolderPath without creating: what the call wrote, "" when nothing.
  virtual std::wstring SpecialFolderPath(int csidl) = 0;
  // GetSystemDirectory: the system folder, "" on failure.
  virtual std::wstring SystemFolder() = 0;
  // The shell's folder picker; rooted at Program Files when asked. Nothing when cancelled.
  virtual std::optional<std::wstring> BrowseForFolder(const std::wstring& title,
                                                      bool programFilesRoot) = 0;

  // --- Windows Installer ---
  // Creates the installer automation object; raises when it cannot be created.
  virtual std::unique_ptr<InstallerObject> CreateInstaller() = 0;

  // --- Unattended runs and the setup log ---
  // Whether a person can answer a box: false when the program's window station is not
  // visible, as for a service or the system account.
  virtual bool PersonCanAnswer() = 0;
  // Writes one line to standard error, when the program was given one.
  virtual void WriteStandardError(const std::wstring& line) = 0;
  // Writes one line to standard output: where it is redirected, else to the console the
  // program was started from (a windowed program has none of its own).
  virtual void WriteStandardOutput(const std::wstring& line) = 0;
  // One line for the setup log. Windows keeps no such log: only the platform start-up hands
  // on writes it (keyword LOG).
  virtual void WriteLog(const std::wstring& /*line*/) {}
  // GetTempPath: the user's temporary folder without a trailing separator, "" on failure.
  virtual std::wstring TempFolder() = 0;
  // Whether the process runs with administrator rights: its token is elevated (on Windows XP,
  // which has no elevation, it holds the Administrators group). Raises when Windows cannot tell.
  virtual bool RunsElevated() = 0;
  // GetTempPath2's folder for a process of the system account, which only the system account
  // and administrators may use (C:\Windows\SystemTemp), without a trailing separator; "" for
  // another account, or on a Windows without GetTempPath2 (before Windows 11 and the newer
  // updates of Windows 10).
  virtual std::wstring SystemTempFolder() = 0;
  // Makes a new log file and holds it (see LogFile): CREATE_NEW, so never an existing file, and a
  // link or junction at the name is never followed. Null when anything is at the name already (a
  // file, a folder, a link: the caller may try another name); raises on any other failure.
  virtual std::unique_ptr<LogFile> CreateLogFile(const std::wstring& path) = 0;
  virtual LocalTime Now() = 0;
  // The computer, the account and the process, for the setup log's header.
  virtual ProcessIdentity Identity() = 0;

  // --- Other programs running at the same time ---
  // Whether a named mutex exists ("Global\..." for every session), tested without taking
  // it: one that this process may not open exists all the same. Raises when Windows cannot
  // tell.
  virtual bool NamedMutexExists(const std::wstring& name) = 0;
  // Makes a named mutex and holds it for as long as the returned object lives. Null when
  // another process made it first (and still holds it); raises when it cannot be made for
  // another reason.
  virtual std::unique_ptr<HeldMutex> ClaimNamedMutex(const std::wstring& name) = 0;
  // Waits, doing nothing, for the given time.
  virtual void Pause(int32_t milliseconds) = 0;
  // Whether a process runs the program file at this full path, compared as Windows compares
  // paths; processes this one may not open are passed over. Raises when Windows cannot tell.
  virtual bool ProgramRuns(const std::wstring& programPath) = 0;
};

}  // namespace vtr
