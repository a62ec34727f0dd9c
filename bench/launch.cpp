// bench_launch: starts programs as a user's double-click does and times them from inside the
// same Windows, so that Wine's own start-up is never part of a figure.
//
//   bench_launch window ROUNDS EXE...     each round starts every EXE in turn and measures the
//                                         time to its first visible top-level window, then
//                                         ends it: "window <exe index> <round> <ms>"
//   bench_launch run PROGRAM LINE FOLDER...  runs each (program, command line, work folder)
//                                         in turn, each waited for: "run <index> <ms> <exit>"
//                                         and at the end "total <ms>"
//
// Every child sees VTR_BENCH_T0, the performance counter just before it was created, so a
// traced build can tell how long its process took to start.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr DWORD kWindowTimeoutMs = 60000;

double Milliseconds(LONGLONG ticks) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

LONGLONG Now() {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

struct Search {
  DWORD processId;
  bool found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && ::IsWindowVisible(window)) {
    search->found = true;
    return FALSE;
  }
  return TRUE;
}

// Starts a program; the handles are the caller's to close. False when it could not start.
bool Start(const wchar_t* program, std::wstring commandLine, const wchar_t* folder,
           PROCESS_INFORMATION& process, LONGLONG& started) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  started = Now();
  ::SetEnvironmentVariableW(L"VTR_BENCH_T0", std::to_wstring(started).c_str());
  return ::CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder,
                          &startup, &process) != FALSE;
}

int TimeWindows(int rounds, int count, wchar_t** programs) {
  for (int round = 0; round < rounds; ++round) {
    for (int i = 0; i < count; ++i) {
      PROCESS_INFORMATION process{};
      LONGLONG started = 0;
      const std::wstring line = L"\"" + std::wstring(programs[i]) + L"\"";
      if (!Start(programs[i], line, nullptr, process, started)) {
        std::wprintf(L"error %d cannot start %ls (%lu)\n", i, programs[i], ::GetLastError());
        return 2;
      }
      Search search{process.dwProcessId, false};
      double elapsed = 0;
      while (!search.found) {
        ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
        elapsed = Milliseconds(Now() - started);
        if (search.found || elapsed > kWindowTimeoutMs ||
            ::WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) {
          break;
        }
      }
      if (search.found) {
        std::wprintf(L"window %d %d %.1f\n", i, round, elapsed);
      } else {
        std::wprintf(L"error %d %ls showed no window\n", i, programs[i]);
      }
      std::fflush(stdout);
      ::TerminateProcess(process.hProcess, 0);
      ::WaitForSingleObject(process.hProcess, INFINITE);
      ::CloseHandle(process.hThread);
      ::CloseHandle(process.hProcess);
      if (!search.found) {
        return 2;
      }
    }
  }
  return 0;
}

int TimeRuns(int count, wchar_t** triples) {
  const LONGLONG first = Now();
  for (int i = 0; i < count; ++i) {
    PROCESS_INFORMATION process{};
    LONGLONG started = 0;
    wchar_t** run = triples + 3 * i;
    if (!Start(run[0], run[1], run[2], process, started)) {
      std::wprintf(L"error %d cannot start %ls (%lu)\n", i, run[0], ::GetLastError());
      return 2;
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    std::wprintf(L"run %d %.1f %lu\n", i, Milliseconds(Now() - started), code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  std::wprintf(L"total %.1f\n", Milliseconds(Now() - first));
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 4 && std::wcscmp(argv[1], L"window") == 0) {
    return TimeWindows(static_cast<int>(std::wcstol(argv[2], nullptr, 10)), argc - 3, argv + 3);
  }
  if (argc >= 5 && (argc - 2) % 3 == 0 && std::wcscmp(argv[1], L"run") == 0) {
    return TimeRuns((argc - 2) / 3, argv + 2);
  }
  std::fwprintf(stderr, L"usage: bench_launch window ROUNDS EXE... | run PROGRAM LINE FOLDER...\n");
  return 1;
}
