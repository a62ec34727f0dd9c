// startup_trace: SetupVTR.exe's own start, built from the same code, with a stopwatch around
// each stage up to the first painted panel. It ends there instead of waiting for the user, and
// adds what it measured to the file VTR_BENCH_TRACE names, one "stage milliseconds" a line and
// an empty line after each start:
//   process   from bench_launch's CreateProcess (VTR_BENCH_T0) to wWinMain
//   libraries preloading the system DLLs
//   com       starting COM
//   installer creating the installer object and asking it for product states
//   detection every other call to Windows before the wizard's window is asked for
//   core      the rest of the work before it: the program's own code
//   window    from then to the shown window: the common controls, the form and its controls
//   paint     painting the first panel
//   deferred  what the window leaves until it has been painted: the rest of the system DLLs
//             and the controls of the other panels
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>

#include "platform/win32/system_libraries.h"
#include "platform/win32/unique_resources.h"
#include "platform/win32/win32_platform.h"
#include "startup/main.h"
#include "wizard/win32/wizard_view.h"

namespace {

LONGLONG Ticks() {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

double Milliseconds(LONGLONG ticks) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

// Adds the time of its own life to a total.
class Stopwatch {
 public:
  explicit Stopwatch(LONGLONG& total) : total_(total), start_(Ticks()) {}
  Stopwatch(const Stopwatch&) = delete;
  Stopwatch& operator=(const Stopwatch&) = delete;
  ~Stopwatch() { total_ += Ticks() - start_; }

 private:
  LONGLONG& total_;
  LONGLONG start_;
};

struct Trace {
  LONGLONG launched = 0;  // bench_launch's CreateProcess
  LONGLONG entered = 0;
  LONGLONG librariesDone = 0;
  LONGLONG comDone = 0;
  LONGLONG installer = 0;  // time spent, not a moment
  LONGLONG calls = 0;      // time spent, not a moment
  LONGLONG viewAsked = 0;
  LONGLONG shown = 0;
  LONGLONG painted = 0;
  LONGLONG deferred = 0;  // time spent, not a moment

  void Write() const {
    wchar_t path[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"VTR_BENCH_TRACE", path, MAX_PATH) == 0) {
      return;
    }
    FILE* file = _wfopen(path, L"a");
    if (file == nullptr) {
      return;
    }
    const LONGLONG beforeView = viewAsked - comDone;
    std::fprintf(file, "process %.2f\n", launched ? Milliseconds(entered - launched) : -1.0);
    std::fprintf(file, "libraries %.2f\n", Milliseconds(librariesDone - entered));
    std::fprintf(file, "com %.2f\n", Milliseconds(comDone - librariesDone));
    std::fprintf(file, "installer %.2f\n", Milliseconds(installer));
    std::fprintf(file, "detection %.2f\n", Milliseconds(calls));
    std::fprintf(file, "core %.2f\n", Milliseconds(beforeView - installer - calls));
    std::fprintf(file, "window %.2f\n", Milliseconds(shown - viewAsked));
    std::fprintf(file, "paint %.2f\n", Milliseconds(painted - shown));
    std::fprintf(file, "deferred %.2f\n\n", Milliseconds(deferred));
    std::fclose(file);
  }
};

class TimedInstaller final : public vtr::InstallerObject {
 public:
  TimedInstaller(std::unique_ptr<vtr::InstallerObject> inner, Trace& trace)
      : inner_(std::move(inner)), trace_(trace) {}
  int32_t ProductState(const std::wstring& productCode) override {
    const Stopwatch watch(trace_.installer);
    return inner_->ProductState(productCode);
  }
  std::wstring ProductInfo(const std::wstring& productCode,
                           const std::wstring& attribute) override {
    const Stopwatch watch(trace_.installer);
    return inner_->ProductInfo(productCode, attribute);
  }
  std::wstring SummaryProperty(const std::wstring& packagePath, int32_t propertyId) override {
    const Stopwatch watch(trace_.installer);
    return inner_->SummaryProperty(packagePath, propertyId);
  }
  std::wstring PackageProperty(const std::wstring& packagePath,
                               const std::wstring& property) override {
    const Stopwatch watch(trace_.installer);
    return inner_->PackageProperty(packagePath, property);
  }

 private:
  std::unique_ptr<vtr::InstallerObject> inner_;
  Trace& trace_;
};

// The Win32 platform with a stopwatch on every call made before the window is asked for.
class TimedPlatform final : public vtr::Platform {
 public:
  explicit TimedPlatform(Trace& trace) : trace_(trace) {}

  // Declared before its uses: they deduce their result from it.
  template <typename Call>
  auto Timed(Call call) {
    const Stopwatch watch(trace_.calls);
    return call();
  }

  vtr::MsgAnswer MsgBox(const std::wstring& text, vtr::MsgButtons buttons, vtr::MsgIcon icon,
                        const std::optional<std::wstring>& title) override {
    return inner_.MsgBox(text, buttons, icon, title);
  }
  std::wstring InputBox(const std::wstring& prompt, const std::wstring& title,
                        const std::wstring& defaultText) override {
    return inner_.InputBox(prompt, title, defaultText);
  }
  void SetMousePointer(vtr::MousePointer pointer) override { inner_.SetMousePointer(pointer); }
  std::wstring OwnFileName() override {
    return Timed([&] { return inner_.OwnFileName(); });
  }
  std::wstring OwnFolder() override {
    return Timed([&] { return inner_.OwnFolder(); });
  }
  std::wstring OwnTitle() override {
    return Timed([&] { return inner_.OwnTitle(); });
  }
  vtr::AppVersion OwnVersion() override {
    return Timed([&] { return inner_.OwnVersion(); });
  }
  std::wstring CommandLine() override {
    return Timed([&] { return inner_.CommandLine(); });
  }
  vtr::WindowView& WizardView() override {
    if (trace_.viewAsked == 0) {
      trace_.viewAsked = Ticks();
    }
    return inner_.WizardView();
  }
  // The window is up when the loop would start: paint it, note the times, and end.
  void RunEventLoop(const std::function<bool()>& /*done*/) override {
    trace_.shown = Ticks();
    ::UpdateWindow(inner_.DialogOwner());
    trace_.painted = Ticks();
    if (window_.HasDeferredWork()) {
      const Stopwatch watch(trace_.deferred);
      window_.DoDeferredWork();
    }
    trace_.Write();
  }
  std::wstring GetSetting(const std::wstring& application, const std::wstring& section,
                          const std::wstring& key, const std::wstring& defaultValue) override {
    return Timed([&] { return inner_.GetSetting(application, section, key, defaultValue); });
  }
  void SaveSetting(const std::wstring& application, const std::wstring& section,
                   const std::wstring& key, const std::wstring& value) override {
    inner_.SaveSetting(application, section, key, value);
  }
  void DeleteSetting(const std::wstring& application, const std::wstring& section,
                     const std::wstring& key) override {
    inner_.DeleteSetting(application, section, key);
  }
  // Start-up reads the machine-wide copy of the settings where the user has none.
  std::optional<vtr::RegistryValue> GetRegistryValue(vtr::RegistryHive hive,
                                                     const std::wstring& key,
                                                     const std::wstring& name) override {
    return Timed([&] { return inner_.GetRegistryValue(hive, key, name); });
  }
  void SetRegistryValue(vtr::RegistryHive hive, const std::wstring& key, const std::wstring& name,
                        const vtr::RegistryValue& value) override {
    inner_.SetRegistryValue(hive, key, name, value);
  }
  void DeleteRegistryValue(vtr::RegistryHive hive, const std::wstring& key,
                           const std::wstring& name) override {
    inner_.DeleteRegistryValue(hive, key, name);
  }
  void DeleteRegistryKey(vtr::RegistryHive hive, const std::wstring& key) override {
    inner_.DeleteRegistryKey(hive, key);
  }
  bool CanWriteRegistryKey(vtr::RegistryHive hive, const std::wstring& key) override {
    return Timed([&] { return inner_.CanWriteRegistryKey(hive, key); });
  }
  std::wstring FindFirst(const std::wstring& pathOrPattern, int attributes) override {
    return Timed([&] { return inner_.FindFirst(pathOrPattern, attributes); });
  }
  std::wstring FindNext() override {
    return Timed([&] { return inner_.FindNext(); });
  }
  void MakeFolder(const std::wstring& path) override { inner_.MakeFolder(path); }
  void CreateEmptyFile(const std::wstring& path) override { inner_.CreateEmptyFile(path); }
  bool MoveFileTo(const std::wstring& existingPath, const std::wstring& newPath) override {
    return inner_.MoveFileTo(existingPath, newPath);
  }
  std::unique_ptr<vtr::HeldFile> HoldFile(const std::wstring& path, bool digest) override {
    return inner_.HoldFile(path, digest);
  }
  std::wstring RecordedPackageDigests() override { return inner_.RecordedPackageDigests(); }
  void MakeProtectedFolder(const std::wstring& path) override { inner_.MakeProtectedFolder(path); }
  bool PathHasLink(const std::wstring& path) override { return inner_.PathHasLink(path); }
  std::optional<uint64_t> FileSize(const std::wstring& path) override {
    return inner_.FileSize(path);
  }
  std::optional<uint64_t> FolderSize(const std::wstring& folder) override {
    return inner_.FolderSize(folder);
  }
  std::unique_ptr<vtr::HeldFile> CopyIntoFolder(const std::wstring& source,
                                                const std::wstring& folder,
                                                const std::wstring& name) override {
    return inner_.CopyIntoFolder(source, folder, name);
  }
  void RemoveFile(const std::wstring& path) override { inner_.RemoveFile(path); }
  void RemoveFolderTree(const std::wstring& path) override { inner_.RemoveFolderTree(path); }
  void DeleteAtRestart(const std::wstring& path) override { inner_.DeleteAtRestart(path); }
  void SetCurrentFolder(const std::wstring& path) override { inner_.SetCurrentFolder(path); }
  std::unique_ptr<vtr::ChildProcess> StartProcess(const std::wstring& applicationPath,
                                                  const std::wstring& commandLine,
                                                  const std::wstring& workFolder) override {
    return inner_.StartProcess(applicationPath, commandLine, workFolder);
  }
  vtr::DesktopLaunch StartAsDesktopUser(const std::wstring& program,
                                        const std::wstring& workFolder) override {
    return inner_.StartAsDesktopUser(program, workFolder);
  }
  vtr::OsVersionRecord OsVersion() override {
    return Timed([&] { return inner_.OsVersion(); });
  }
  std::optional<std::wstring> FolderPath(int csidl) override {
    return Timed([&] { return inner_.FolderPath(csidl); });
  }
  std::wstring SpecialFolderPath(int csidl) override {
    return Timed([&] { return inner_.SpecialFolderPath(csidl); });
  }
  std::wstring SystemFolder() override {
    return Timed([&] { return inner_.SystemFolder(); });
  }
  std::optional<std::wstring> BrowseForFolder(const std::wstring& title,
                                              bool programFilesRoot) override {
    return inner_.BrowseForFolder(title, programFilesRoot);
  }
  std::unique_ptr<vtr::InstallerObject> CreateInstaller() override {
    const Stopwatch watch(trace_.installer);
    return std::make_unique<TimedInstaller>(inner_.CreateInstaller(), trace_);
  }
  bool PersonCanAnswer() override {
    return Timed([&] { return inner_.PersonCanAnswer(); });
  }
  void WriteStandardError(const std::wstring& line) override { inner_.WriteStandardError(line); }
  void WriteStandardOutput(const std::wstring& line) override { inner_.WriteStandardOutput(line); }
  std::wstring TempFolder() override {
    return Timed([&] { return inner_.TempFolder(); });
  }
  bool RunsElevated() override {
    return Timed([&] { return inner_.RunsElevated(); });
  }
  std::wstring SystemTempFolder() override {
    return Timed([&] { return inner_.SystemTempFolder(); });
  }
  std::unique_ptr<vtr::LogFile> CreateLogFile(const std::wstring& path) override {
    return Timed([&] { return inner_.CreateLogFile(path); });
  }
  vtr::LocalTime Now() override { return inner_.Now(); }
  vtr::ProcessIdentity Identity() override {
    return Timed([&] { return inner_.Identity(); });
  }
  bool NamedMutexExists(const std::wstring& name) override {
    return Timed([&] { return inner_.NamedMutexExists(name); });
  }
  std::unique_ptr<vtr::HeldMutex> ClaimNamedMutex(const std::wstring& name) override {
    return Timed([&] { return inner_.ClaimNamedMutex(name); });
  }
  void Pause(int32_t milliseconds) override { inner_.Pause(milliseconds); }
  bool ProgramRuns(const std::wstring& programPath) override {
    return Timed([&] { return inner_.ProgramRuns(programPath); });
  }

 private:
  Trace& trace_;
  // The wizard's real window, declared first so that it outlives the platform drawing into it.
  vtr::win32::Win32WizardView window_;
  vtr::win32::Win32Platform inner_{window_};
};

}  // namespace

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  Trace trace;
  trace.entered = Ticks();
  wchar_t launched[32] = {};
  if (::GetEnvironmentVariableW(L"VTR_BENCH_T0", launched, 32) != 0) {
    trace.launched = std::wcstoll(launched, nullptr, 10);
  }
  // The same steps, in the same order, as SetupVTR.exe's entry.
  vtr::win32::RestrictDllSearchToSystemFolder();
  const vtr::win32::SystemLibraries systemLibraries;
  trace.librariesDone = Ticks();
  const vtr::win32::ComInit com;
  trace.comDone = Ticks();

  TimedPlatform p(trace);
  return vtr::Main(p, VTR_EDITION_ID);
}
