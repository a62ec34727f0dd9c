#include "icon.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "handles.h"
#include "window_text.h"

namespace vtrdrive {
namespace {

struct SystemIcon {
  const wchar_t* name;
  int id;  // IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK
};

constexpr SystemIcon kIcons[] = {
    {L"critical", 32513}, {L"question", 32514}, {L"exclamation", 32515}, {L"information", 32516}};

// A 32-bit top-down bitmap the driver can draw into and read back.
class Canvas {
 public:
  Canvas(HDC like, int width, int height) : dc_(like), width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = std::make_unique<GdiObject>(
        CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<uint32_t*>(bits);
    if (bitmap_->Get() != nullptr && dc_.Get() != nullptr) {
      previous_ = SelectObject(dc_.Get(), bitmap_->Get());
    }
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  ~Canvas() {
    if (previous_ != nullptr) {
      SelectObject(dc_.Get(), previous_);
    }
  }

  bool Ok() const { return bits_ != nullptr && previous_ != nullptr; }
  HDC Dc() const { return dc_.Get(); }
  uint32_t Pixel(int x, int y) const { return bits_[y * width_ + x] & 0xFFFFFF; }
  void Fill(uint32_t colour) {
    for (int i = 0; i < width_ * height_; ++i) {
      bits_[i] = colour;
    }
  }

 private:
  MemoryDc dc_;
  int width_;
  int height_;
  std::unique_ptr<GdiObject> bitmap_;
  uint32_t* bits_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

bool Close(uint32_t a, uint32_t b) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int ca = static_cast<int>((a >> shift) & 0xFF);
    const int cb = static_cast<int>((b >> shift) & 0xFF);
    if (std::abs(ca - cb) > 16) {
      return false;
    }
  }
  return true;
}

HWND IconStatic(HWND box) {
  for (HWND child : ChildWindows(box)) {
    if (ClassName(child) == L"Static" && IsWindowVisible(child) &&
        (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      return child;
    }
  }
  return nullptr;
}

}  // namespace

std::wstring IdentifyIcon(HWND box) {
  HWND icon = IconStatic(box);
  DWORD_PTR handle = 0;
  // Wine keeps the icon control in a box without an icon, just empty.
  if (icon == nullptr ||
      (SendMessageTimeoutW(icon, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &handle) != 0 &&
       handle == 0)) {
    return L"none";
  }
  RECT rect{};
  GetWindowRect(icon, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0 || width > 256 || height > 256) {
    return L"unknown";
  }
  ScreenDc screen;
  Canvas shown(screen.Get(), width, height);
  if (!shown.Ok() ||
      !BitBlt(shown.Dc(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY)) {
    return L"unknown";
  }
  // The icons' corners are transparent, so the top-left pixel is the box's background.
  const uint32_t background = shown.Pixel(0, 0);
  const wchar_t* best = L"unknown";
  int bestMatches = 0;
  for (const SystemIcon& candidate : kIcons) {
    Canvas drawn(screen.Get(), width, height);
    HICON system = LoadIconW(nullptr, MAKEINTRESOURCEW(candidate.id));
    if (!drawn.Ok() || system == nullptr) {
      continue;
    }
    drawn.Fill(background);
    DrawIconEx(drawn.Dc(), 0, 0, system, 0, 0, 0, nullptr, DI_NORMAL);
    int matches = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        matches += Close(shown.Pixel(x, y), drawn.Pixel(x, y)) ? 1 : 0;
      }
    }
    if (matches > bestMatches) {
      bestMatches = matches;
      best = candidate.name;
    }
  }
  // Every icon shares the background, so only a near-perfect match names one.
  return bestMatches * 100 >= width * height * 97 ? best : L"unknown";
}

}  // namespace vtrdrive
