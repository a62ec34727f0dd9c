// SHA-256 through CNG: bcrypt.dll loaded from the system folder, one hash object per digest.
#include "platform/win32/cng_sha256.h"

#include "platform/run_error.h"
#include "platform/win32/system_libraries.h"
#include "platform/win32/win32_strings.h"

namespace vtr::win32 {
namespace {

void Check(NTSTATUS status) {
  if (status < 0) {
    throw RunError{static_cast<int32_t>(status),
                   L"Windows' cryptography (bcrypt.dll) could not compute the file's SHA-256"};
  }
}

}  // namespace

Cng::Cng() : module(LoadSystemLibrary(L"bcrypt.dll")) {
  open = ProcAddress<OpenFn>(module.get(), "BCryptOpenAlgorithmProvider");
  close = ProcAddress<CloseFn>(module.get(), "BCryptCloseAlgorithmProvider");
  getProperty = ProcAddress<GetPropertyFn>(module.get(), "BCryptGetProperty");
  createHash = ProcAddress<CreateHashFn>(module.get(), "BCryptCreateHash");
  hashData = ProcAddress<HashDataFn>(module.get(), "BCryptHashData");
  finishHash = ProcAddress<FinishHashFn>(module.get(), "BCryptFinishHash");
  destroyHash = ProcAddress<DestroyHashFn>(module.get(), "BCryptDestroyHash");
}

const Cng& SystemCng() {
  // Loaded once, by whichever thread hashes first; it never changes after.
  static const Cng cng;
  if (!(cng.open && cng.close && cng.getProperty && cng.createHash && cng.hashData &&
        cng.finishHash && cng.destroyHash)) {
    throw RunError{48, L"Windows' cryptography (bcrypt.dll) could not be loaded"};
  }
  return cng;
}

Sha256Hash::Sha256Hash(const Cng& cng) : cng_(cng) {
  Check(cng_.open(&algorithm_, BCRYPT_SHA256_ALGORITHM, nullptr, 0));
  // Windows 7 wants the hash object's memory from the caller.
  DWORD objectLength = 0;
  ULONG written = 0;
  Check(cng_.getProperty(algorithm_, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectLength),
                         sizeof(objectLength), &written, 0));
  object_.resize(objectLength);
  Check(cng_.createHash(algorithm_, &hash_, object_.data(), objectLength, nullptr, 0, 0));
}

Sha256Hash::~Sha256Hash() {
  if (hash_ != nullptr) {
    cng_.destroyHash(hash_);
  }
  if (algorithm_ != nullptr) {
    cng_.close(algorithm_, 0);
  }
}

void Sha256Hash::Add(unsigned char* data, DWORD size) {
  Check(cng_.hashData(hash_, data, size, 0));
}

std::wstring Sha256Hash::Finish() {
  unsigned char digest[32] = {};
  Check(cng_.finishHash(hash_, digest, sizeof(digest), 0));
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  std::wstring text;
  for (const unsigned char byte : digest) {
    text += kHex[byte >> 4];
    text += kHex[byte & 15];
  }
  return text;
}

}  // namespace vtr::win32
