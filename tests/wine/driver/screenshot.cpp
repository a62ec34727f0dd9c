#include "screenshot.h"

#include <windows.h>

#include <vector>

#include "handles.h"

namespace vtrdrive {

namespace {

bool SaveScreenArea(const std::wstring& path, const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) {
    return false;
  }
  ScreenDc screen;
  MemoryDc memory(screen.Get());
  GdiObject bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
  if (screen.Get() == nullptr || memory.Get() == nullptr || bitmap.Get() == nullptr) {
    return false;
  }
  HGDIOBJ previous = SelectObject(memory.Get(), bitmap.Get());
  const bool copied = BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), area.left, area.top,
                             SRCCOPY | CAPTUREBLT) != 0;
  SelectObject(memory.Get(), previous);
  if (!copied) {
    return false;
  }

  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = height;  // bottom-up, as .bmp files store rows
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<BYTE> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
  if (GetDIBits(memory.Get(), static_cast<HBITMAP>(bitmap.Get()), 0, static_cast<UINT>(height),
                pixels.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS) == 0) {
    return false;
  }

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  header.biSizeImage = static_cast<DWORD>(pixels.size());

  UniqueFile out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) {
    return false;
  }
  DWORD written = 0;
  return WriteFile(out.Get(), &file, sizeof(file), &written, nullptr) &&
         WriteFile(out.Get(), &header, sizeof(header), &written, nullptr) &&
         WriteFile(out.Get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written,
                   nullptr) &&
         written == pixels.size();
}

}  // namespace

bool SaveScreenshot(const std::wstring& path) {
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return SaveScreenArea(path, screen);
}

bool SaveWindowScreenshot(const std::wstring& path, HWND window) {
  RECT area{};
  if (!IsWindow(window) || !GetWindowRect(window, &area)) {
    return false;
  }
  // Only what is on the screen can be copied.
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT visible{};
  if (!IntersectRect(&visible, &area, &screen)) {
    return false;
  }
  return SaveScreenArea(path, visible);
}

}  // namespace vtrdrive
