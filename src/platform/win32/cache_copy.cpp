// Copies into the protected cache: the source read once, each chunk hashed and written as it
// is read, on a thread of its own; the copy takes its name only once it is whole and flushed,
// and is held from then on.
#include <windows.h>

#include <cstddef>
#include <exception>
#include <vector>

#include "platform/win32/cng_sha256.h"
#include "platform/win32/folder_chain.h"
#include "platform/win32/win32_platform.h"

namespace vtr::win32 {
namespace {

constexpr DWORD kChunk = 1 << 20;
// Tries at a temporary name before giving up: each is taken only if no file has it.
constexpr int kPartialNames = 100;

bool PlainFileName(const std::wstring& name) {
  return !name.empty() && name != L"." && name != L".." &&
         name.find_first_of(L"\\/:*?\"<>|") == std::wstring::npos;
}

// Which file a handle is open on, to tell that a name still leads to it.
struct FileIdentity {
  DWORD volume = 0;
  DWORD high = 0;
  DWORD low = 0;
  bool operator==(const FileIdentity&) const = default;
};

FileIdentity IdentityOf(HANDLE file, const std::wstring& path) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file, &info)) {
    throw FileError(::GetLastError(), L"the copy " + path + L" could not be read back");
  }
  return {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// Whether the path names the file the handle is open on.
bool SameFile(HANDLE file, const std::wstring& path, const std::wstring& other) {
  UniqueFileHandle there = OpenItself(other, FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  return there && IdentityOf(there.get(), other) == IdentityOf(file, path);
}

// Gives the open file another name in its folder, replacing a file of that name.
BOOL RenameOpened(HANDLE file, const std::wstring& path) {
  const std::size_t bytes = path.size() * sizeof(wchar_t);
  std::vector<unsigned char> memory(offsetof(FILE_RENAME_INFO, FileName) + bytes + sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(memory.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(bytes);
  path.copy(rename->FileName, path.size());
  return ::SetFileInformationByHandle(file, FileRenameInfo, rename,
                                      static_cast<DWORD>(memory.size()));
}

// One copy under way and then held: the thread writes it; Sha256() waits for the thread.
class Win32CachedCopy final : public HeldFile {
 public:
  Win32CachedCopy(std::wstring source, UniqueFileHandle sourceFile, FolderChain folder,
                  UniqueFileHandle partial, std::wstring copy)
      : source_(std::move(source)),
        sourceFile_(std::move(sourceFile)),
        folder_(std::move(folder)),
        partial_(std::move(partial)),
        copy_(std::move(copy)) {}
  ~Win32CachedCopy() override { Join(); }
  Win32CachedCopy(const Win32CachedCopy&) = delete;
  Win32CachedCopy& operator=(const Win32CachedCopy&) = delete;

  // Begins the copy on a thread; where no thread can be made, Sha256() copies itself.
  void Begin() {
    thread_.reset(::CreateThread(nullptr, 0, &Win32CachedCopy::Thread, this, 0, nullptr));
  }

  std::wstring Sha256() override {
    if (thread_) {
      Join();
    } else if (!done_) {
      Run();
    }
    if (failed_) {
      throw error_;
    }
    return digest_;
  }

 private:
  static DWORD WINAPI Thread(void* self) {
    static_cast<Win32CachedCopy*>(self)->Run();
    return 0;
  }

  void Run() {
    try {
      digest_ = Copy();
    } catch (const RunError& error) {
      error_ = error;
      failed_ = true;
    } catch (const std::exception&) {
      // What the standard library raises: no memory for the buffer.
      error_ = RunError{7, L"Out of memory"};
      failed_ = true;
    }
    if (failed_) {
      Discard();
    }
    done_ = true;
  }

  std::wstring Copy() {
    Sha256Hash hash(SystemCng());
    std::vector<unsigned char> buffer(kChunk);
    for (;;) {
      DWORD read = 0;
      if (!::ReadFile(sourceFile_.get(), buffer.data(), kChunk, &read, nullptr)) {
        throw FileError(::GetLastError(), L"reading " + source_ + L" failed");
      }
      if (read == 0) {
        break;
      }
      hash.Add(buffer.data(), read);
      DWORD written = 0;
      if (!::WriteFile(partial_.get(), buffer.data(), read, &written, nullptr) || written != read) {
        const DWORD code = written != read && ::GetLastError() == ERROR_SUCCESS
                               ? static_cast<DWORD>(ERROR_DISK_FULL)
                               : ::GetLastError();
        throw FileError(code, L"writing the copy " + copy_ + L" failed");
      }
    }
    if (!::FlushFileBuffers(partial_.get())) {
      throw FileError(::GetLastError(), L"writing the copy " + copy_ + L" failed");
    }
    const FileIdentity written = IdentityOf(partial_.get(), copy_);
    // The folder is held, so the name is given in the folder checked; an older copy is
    // replaced only now, when the new one is whole.
    if (!RenameOpened(partial_.get(), copy_)) {
      throw FileError(::GetLastError(), L"the copy could not take the name " + copy_);
    }
    partial_.reset();
    sourceFile_.reset();
    // Held again for reading alone, so Windows Installer can open it as it opens a package,
    // and checked to be the file just written.
    held_ = OpenItself(copy_, GENERIC_READ, FILE_SHARE_READ);
    if (!held_) {
      throw FileError(::GetLastError(), L"the copy " + copy_ + L" could not be held");
    }
    if ((OpenedAttributes(held_.get(), copy_) & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !(IdentityOf(held_.get(), copy_) == written)) {
      held_.reset();
      throw RunError{75, L"the copy " + copy_ + L" was replaced by another file as it was made"};
    }
    folder_ = FolderChain();
    return hash.Finish();
  }

  // Deletes the unfinished copy through its own handle, so only that file can go.
  void Discard() {
    if (partial_) {
      FILE_DISPOSITION_INFO disposition{};
      disposition.DeleteFile = TRUE;
      ::SetFileInformationByHandle(partial_.get(), FileDispositionInfo, &disposition,
                                   sizeof(disposition));
      partial_.reset();
    }
    sourceFile_.reset();
    folder_ = FolderChain();
  }

  void Join() {
    if (thread_ && !joined_) {
      ::WaitForSingleObject(thread_.get(), INFINITE);
      joined_ = true;
    }
  }

  std::wstring source_;
  UniqueFileHandle sourceFile_;
  FolderChain folder_;
  UniqueFileHandle partial_;
  std::wstring copy_;
  UniqueFileHandle held_;
  UniqueHandle thread_;
  bool joined_ = false;
  bool done_ = false;
  std::wstring digest_;
  RunError error_{0, L""};
  bool failed_ = false;
};

// Creates the unfinished copy under a temporary name of its own beside where the copy goes:
// always a new file (never an existing file or a link), open for writing and for deleting or
// renaming through its handle, shared with nobody.
UniqueFileHandle CreatePartial(const std::wstring& folder, const std::wstring& name) {
  const std::wstring stem =
      folder + L"\\~" + name + L"." + std::to_wstring(::GetCurrentProcessId()) + L".";
  for (int attempt = 0; attempt < kPartialNames; ++attempt) {
    const std::wstring path = stem + std::to_wstring(attempt) + L".tmp";
    UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES, 0, nullptr,
                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file) {
      return file;
    }
    const DWORD code = ::GetLastError();
    if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
      throw FileError(code, L"a copy of " + name + L" could not be made in the folder " + folder);
    }
  }
  throw FileError(ERROR_FILE_EXISTS,
                  L"a copy of " + name + L" could not be made in the folder " + folder);
}

}  // namespace

std::unique_ptr<HeldFile> Win32Platform::CopyIntoFolder(const std::wstring& source,
                                                        const std::wstring& folder,
                                                        const std::wstring& name) {
  if (!PlainFileName(name)) {
    throw RunError{75, L"\"" + name + L"\" is not a file name a copy can take"};
  }
  FolderChain chain(folder);
  if (!chain.Complete() || chain.Depth() == 0) {
    throw FileError(ERROR_PATH_NOT_FOUND, L"the folder " + folder + L" is not there to copy into");
  }
  const std::wstring target = chain.LastPath();
  // Others may read the source as it is copied, but nobody may change it meanwhile.
  UniqueFileHandle sourceFile(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!sourceFile) {
    throw FileError(::GetLastError(), L"the file " + source + L" could not be opened to copy it");
  }
  const std::wstring copyPath = target + L"\\" + name;
  if (SameFile(sourceFile.get(), source, copyPath)) {
    // The cached copy itself (a setup started from the cache caches itself): it is held and
    // hashed as it is, never written over, as it may be the running program.
    sourceFile.reset();
    chain = FolderChain();
    return HoldFile(copyPath, true);
  }
  UniqueFileHandle partial = CreatePartial(target, name);
  auto copy = std::make_unique<Win32CachedCopy>(source, std::move(sourceFile), std::move(chain),
                                                std::move(partial), copyPath);
  copy->Begin();
  return copy;
}

}  // namespace vtr::win32
