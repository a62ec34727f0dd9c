// The program under test, started the way Explorer would start it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "handles.h"

namespace vtrdrive {

// One argument quoted so that the C runtime's and CommandLineToArgvW's splitting give it back
// unchanged; an argument without blanks or quotes is left bare.
std::wstring QuoteArgument(const std::wstring& arg);

class Child {
 public:
  // Starts exe with the argument text after its quoted full path, in exe's own folder; on
  // the named desktop ("station\desktop") when one is given, and with standardError and
  // standardOutput (inheritable handles) as its standard error and output where given. On
  // failure returns nothing and sets error to a readable sentence. A suspended child runs no
  // code of its own until Resume.
  static std::optional<Child> Start(const std::wstring& exe, const std::wstring& argumentText,
                                    const std::wstring& desktop, HANDLE standardError,
                                    HANDLE standardOutput, bool suspended, std::wstring& error);

  void Resume() const { ResumeThread(thread_.Get()); }

  DWORD Id() const { return id_; }
  // The exit code once the process has ended; nothing while it runs.
  std::optional<uint32_t> ExitCode() const;
  void Terminate() const;

 private:
  Child(UniqueHandle process, UniqueHandle thread, DWORD id)
      : process_(std::move(process)), thread_(std::move(thread)), id_(id) {}
  UniqueHandle process_;
  UniqueHandle thread_;
  DWORD id_ = 0;
};

}  // namespace vtrdrive
