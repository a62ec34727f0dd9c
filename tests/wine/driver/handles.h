// Owners for the few Windows handles the driver holds, so every exit path closes them.
#pragma once

#include <windows.h>

#include <utility>

namespace vtrdrive {

// A kernel handle that is invalid when null (processes, threads).
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      h_ = std::exchange(other.h_, nullptr);
    }
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  HANDLE Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void Reset() {
    if (h_ != nullptr) {
      CloseHandle(h_);
      h_ = nullptr;
    }
  }

 private:
  HANDLE h_ = nullptr;
};

// A file handle, invalid when INVALID_HANDLE_VALUE.
class UniqueFile {
 public:
  explicit UniqueFile(HANDLE h) : h_(h) {}
  UniqueFile(const UniqueFile&) = delete;
  UniqueFile& operator=(const UniqueFile&) = delete;
  ~UniqueFile() {
    if (h_ != INVALID_HANDLE_VALUE) {
      CloseHandle(h_);
    }
  }
  HANDLE Get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

// A screen device context borrowed with GetDC(nullptr).
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  ~ScreenDc() {
    if (dc_ != nullptr) {
      ReleaseDC(nullptr, dc_);
    }
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// A memory device context made with CreateCompatibleDC.
class MemoryDc {
 public:
  explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  ~MemoryDc() {
    if (dc_ != nullptr) {
      DeleteDC(dc_);
    }
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// Any GDI object made by the driver (bitmaps).
class GdiObject {
 public:
  explicit GdiObject(HGDIOBJ o) : o_(o) {}
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  ~GdiObject() {
    if (o_ != nullptr) {
      DeleteObject(o_);
    }
  }
  HGDIOBJ Get() const { return o_; }

 private:
  HGDIOBJ o_;
};

}  // namespace vtrdrive
