// The protected cache's folders and copies (being built: each operation raises for now).
#include "platform/win32/win32_platform.h"

namespace vtr::win32 {
namespace {

RunError NotYet() {
  return {5, L"this build of setup cannot make its protected cache yet"};
}

}  // namespace

void Win32Platform::MakeProtectedFolder(const std::wstring& /*path*/) {
  throw NotYet();
}

bool Win32Platform::PathHasLink(const std::wstring& /*path*/) {
  throw NotYet();
}

std::optional<uint64_t> Win32Platform::FileSize(const std::wstring& /*path*/) {
  return std::nullopt;
}

std::unique_ptr<HeldFile> Win32Platform::CopyIntoFolder(const std::wstring& /*source*/,
                                                        const std::wstring& /*folder*/,
                                                        const std::wstring& /*name*/) {
  throw NotYet();
}

void Win32Platform::RemoveFile(const std::wstring& /*path*/) {
  throw NotYet();
}

void Win32Platform::RemoveFolderTree(const std::wstring& /*path*/) {
  throw NotYet();
}

}  // namespace vtr::win32
