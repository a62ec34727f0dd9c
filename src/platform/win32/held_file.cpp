// Package files held against change while they are checked and used, their SHA-256 through
// Windows' own cryptography (CNG), and the digests the release recorded in the program.
#include <windows.h>

#include <exception>
#include <vector>

#include "platform/win32/cng_sha256.h"
#include "platform/win32/win32_platform.h"

namespace vtr::win32 {
namespace {

// The resource the release links into the program: the digests of the packages it shipped.
constexpr wchar_t kDigestsResource[] = L"PACKAGEDIGESTS";

constexpr DWORD kReadChunk = 1 << 20;

RunError ReadError() {
  return {75, L"Path/File access error"};
}

// The SHA-256 of the whole file, read through the handle from its start.
std::wstring FileSha256(HANDLE file) {
  const Cng& cng = SystemCng();
  LARGE_INTEGER start{};
  if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
    throw ReadError();
  }
  Sha256Hash hash(cng);
  std::vector<unsigned char> buffer(kReadChunk);
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file, buffer.data(), kReadChunk, &read, nullptr)) {
      throw ReadError();
    }
    if (read == 0) {
      break;
    }
    hash.Add(buffer.data(), read);
  }
  return hash.Finish();
}

// A held file whose SHA-256 may be taken on a thread of its own, so that several packages are
// hashed at once and beside the rest of the check. Only that thread reads the file until it
// has ended.
class Win32HeldFile final : public HeldFile {
 public:
  explicit Win32HeldFile(UniqueFileHandle file) : file_(std::move(file)) {}
  ~Win32HeldFile() override { Join(); }
  Win32HeldFile(const Win32HeldFile&) = delete;
  Win32HeldFile& operator=(const Win32HeldFile&) = delete;

  // Begins the SHA-256 on a thread; where no thread can be made, Sha256() takes it itself.
  void BeginDigest() {
    thread_.reset(::CreateThread(nullptr, 0, &Win32HeldFile::Digest, this, 0, nullptr));
  }

  std::wstring Sha256() override {
    if (!thread_) {
      return FileSha256(file_.get());
    }
    Join();
    if (failed_) {
      throw error_;
    }
    return digest_;
  }

 private:
  static DWORD WINAPI Digest(void* self) {
    auto& held = *static_cast<Win32HeldFile*>(self);
    try {
      held.digest_ = FileSha256(held.file_.get());
    } catch (const RunError& error) {
      held.error_ = error;
      held.failed_ = true;
    } catch (const std::exception&) {
      // What the standard library raises: no memory for the buffers.
      held.error_ = RunError{7, L"Out of memory"};
      held.failed_ = true;
    }
    return 0;
  }

  void Join() {
    if (thread_ && !joined_) {
      ::WaitForSingleObject(thread_.get(), INFINITE);
      joined_ = true;
    }
  }

  UniqueFileHandle file_;
  UniqueHandle thread_;
  bool joined_ = false;
  std::wstring digest_;
  RunError error_{0, L""};
  bool failed_ = false;
};

}  // namespace

std::unique_ptr<HeldFile> Win32Platform::HoldFile(const std::wstring& path, bool digest) {
  // Others may read the file (Windows Installer does), but nobody may change, rename or delete
  // it while it is held.
  UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    switch (::GetLastError()) {
      case ERROR_FILE_NOT_FOUND:
        throw RunError{53, L"File not found"};
      case ERROR_PATH_NOT_FOUND:
        throw RunError{76, L"Path not found"};
      case ERROR_SHARING_VIOLATION:
      case ERROR_LOCK_VIOLATION:
        // Another program has the file open for writing.
        throw RunError{70, L"Permission denied"};
      default:
        throw ReadError();
    }
  }
  auto held = std::make_unique<Win32HeldFile>(std::move(file));
  if (digest) {
    held->BeginDigest();
  }
  return held;
}

std::wstring Win32Platform::RecordedPackageDigests() {
  HRSRC found = ::FindResourceW(nullptr, kDigestsResource, MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (found == nullptr) {
    return {};
  }
  HGLOBAL loaded = ::LoadResource(nullptr, found);
  const auto* bytes = static_cast<const char*>(loaded ? ::LockResource(loaded) : nullptr);
  if (bytes == nullptr) {
    return {};
  }
  // The digests and file names are plain ASCII.
  const DWORD size = ::SizeofResource(nullptr, found);
  return std::wstring(bytes, bytes + size);
}

}  // namespace vtr::win32
