// SHA-256 through Windows' own cryptography (CNG, bcrypt.dll from the system folder): the
// package check of a held file and the copy into the protected cache hash with it.
#pragma once

#include <windows.h>

#include <bcrypt.h>

#include <string>
#include <vector>

#include "platform/win32/unique_resources.h"

namespace vtr::win32 {

// The few CNG calls the hash needs, from bcrypt.dll in the system folder (it is not a DLL that
// Windows always takes from its own folder, so it is not imported).
struct Cng {
  using OpenFn = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG);
  using CloseFn = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, ULONG);
  using GetPropertyFn = NTSTATUS(WINAPI*)(BCRYPT_HANDLE, LPCWSTR, PUCHAR, ULONG, ULONG*, ULONG);
  using CreateHashFn = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG,
                                         PUCHAR, ULONG, ULONG);
  using HashDataFn = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
  using FinishHashFn = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
  using DestroyHashFn = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE);

  Cng();

  UniqueModule module;
  OpenFn open = nullptr;
  CloseFn close = nullptr;
  GetPropertyFn getProperty = nullptr;
  CreateHashFn createHash = nullptr;
  HashDataFn hashData = nullptr;
  FinishHashFn finishHash = nullptr;
  DestroyHashFn destroyHash = nullptr;
};

// The process's CNG calls, loaded on first use and kept; raises when bcrypt.dll or one of its
// calls is missing.
const Cng& SystemCng();

// One SHA-256 computation; what it opened is closed again however it ends. Raises (with the
// status CNG gave) when CNG fails.
class Sha256Hash {
 public:
  explicit Sha256Hash(const Cng& cng);
  ~Sha256Hash();
  Sha256Hash(const Sha256Hash&) = delete;
  Sha256Hash& operator=(const Sha256Hash&) = delete;

  void Add(unsigned char* data, DWORD size);
  // The digest as 64 lowercase hexadecimal digits.
  std::wstring Finish();

 private:
  const Cng& cng_;
  BCRYPT_ALG_HANDLE algorithm_ = nullptr;
  BCRYPT_HASH_HANDLE hash_ = nullptr;
  std::vector<unsigned char> object_;
};

}  // namespace vtr::win32
