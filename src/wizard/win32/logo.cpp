// The product logo drawn with GDI at the size it is shown, smoothed by drawing it larger.
#include "wizard/win32/logo.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "wizard/win32/pixels.h"

namespace vtr::win32 {
namespace {

// GDI draws without smoothing: the logo is drawn this many times larger and then averaged
// down.
constexpr int kOversample = 4;

// The logo is designed on a grid of this many units; it is scaled to fit and centred.
constexpr int kDesignWidth = 182;
constexpr int kDesignHeight = 220;

constexpr COLORREF kTileTop = RGB(64, 132, 240);
constexpr COLORREF kTileBottom = RGB(24, 58, 160);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kPaleBlue = RGB(196, 220, 255);
constexpr COLORREF kCardBlue = RGB(37, 99, 235);
constexpr COLORREF kLineBlue = RGB(150, 190, 250);

// A 32-bit top-down DIB section selected into a memory DC for as long as it lives.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height), dc_(nullptr) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<uint32_t*>(bits);
    if (dc_.get() != nullptr && bitmap_) {
      selection_.emplace(dc_.get(), bitmap_.get());
    }
  }

  bool Ready() const { return bits_ != nullptr && selection_ && selection_->ok(); }
  HDC Dc() const { return dc_.get(); }
  std::size_t PixelCount() const {
    return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  }
  uint32_t* Bits() const { return bits_; }
  // Hands the bitmap over, no longer selected into the DC.
  UniqueGdiObject TakeBitmap() {
    selection_.reset();
    return std::move(bitmap_);
  }

 private:
  int width_;
  int height_;
  // Destroyed in reverse: the bitmap is deselected, then deleted, then the DC.
  MemoryDc dc_;
  UniqueGdiObject bitmap_;
  std::optional<Selected> selection_;
  uint32_t* bits_ = nullptr;
};

// Design units to canvas pixels.
struct Scale {
  double factor;
  int offsetX;
  int offsetY;
  int X(double units) const { return offsetX + static_cast<int>(units * factor + 0.5); }
  int Y(double units) const { return offsetY + static_cast<int>(units * factor + 0.5); }
  int Size(double units) const { return static_cast<int>(units * factor + 0.5); }
};

void FillShape(HDC dc, COLORREF colour, auto&& draw) {
  UniqueGdiObject brush(::CreateSolidBrush(colour));
  const Selected fill(dc, brush.get());
  const Selected noOutline(dc, ::GetStockObject(NULL_PEN));
  draw();
}

void RoundBox(HDC dc, const Scale& s, COLORREF colour, double left, double top, double right,
              double bottom, double radius) {
  FillShape(dc, colour, [&] {
    ::RoundRect(dc, s.X(left), s.Y(top), s.X(right), s.Y(bottom), s.Size(radius * 2),
                s.Size(radius * 2));
  });
}

void Polygon(HDC dc, const Scale& s, COLORREF colour, std::initializer_list<POINT> units) {
  std::vector<POINT> points;
  for (const POINT& p : units) {
    points.push_back({s.X(p.x), s.Y(p.y)});
  }
  FillShape(dc, colour, [&] { ::Polygon(dc, points.data(), static_cast<int>(points.size())); });
}

BYTE Blend(BYTE a, BYTE b, int step, int steps) {
  return static_cast<BYTE>((a * (steps - step) + b * step) / steps);
}

// The tile: a rounded square shaded from a light blue at the top to a deep blue below.
void DrawTile(HDC dc, const Scale& s) {
  UniqueGdiObject region(
      ::CreateRoundRectRgn(s.X(4), s.Y(4), s.X(178) + 1, s.Y(216) + 1, s.Size(56), s.Size(56)));
  ::SelectClipRgn(dc, static_cast<HRGN>(region.get()));
  const int top = s.Y(4);
  const int bottom = s.Y(216);
  const int steps = std::max(1, bottom - top);
  for (int y = top; y < bottom; ++y) {
    const int step = y - top;
    const COLORREF colour = RGB(Blend(GetRValue(kTileTop), GetRValue(kTileBottom), step, steps),
                                Blend(GetGValue(kTileTop), GetGValue(kTileBottom), step, steps),
                                Blend(GetBValue(kTileTop), GetBValue(kTileBottom), step, steps));
    const RECT row{s.X(4), y, s.X(178) + 1, y + 1};
    UniqueGdiObject brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &row, static_cast<HBRUSH>(brush.get()));
  }
  ::SelectClipRgn(dc, nullptr);
}

// The "V": a white left stroke and a pale right one, as if lit from the left.
void DrawMark(HDC dc, const Scale& s) {
  Polygon(dc, s, kWhite, {{36, 38}, {68, 38}, {96, 112}, {106, 140}, {76, 140}});
  Polygon(dc, s, kPaleBlue, {{114, 38}, {146, 38}, {106, 140}, {76, 140}, {86, 114}});
}

// The contact card: a person beside three lines of text.
void DrawCard(HDC dc, const Scale& s) {
  RoundBox(dc, s, kWhite, 28, 154, 154, 202, 10);
  UniqueGdiObject card(
      ::CreateRoundRectRgn(s.X(28), s.Y(154), s.X(154) + 1, s.Y(202) + 1, s.Size(20), s.Size(20)));
  ::SelectClipRgn(dc, static_cast<HRGN>(card.get()));
  FillShape(dc, kCardBlue, [&] {
    ::Ellipse(dc, s.X(45), s.Y(161), s.X(65), s.Y(181));
    ::Ellipse(dc, s.X(37), s.Y(183), s.X(73), s.Y(215));
  });
  ::SelectClipRgn(dc, nullptr);
  RoundBox(dc, s, kLineBlue, 82, 164, 142, 171, 3.5);
  RoundBox(dc, s, kLineBlue, 82, 176, 134, 183, 3.5);
  RoundBox(dc, s, kLineBlue, 82, 188, 118, 195, 3.5);
}

}  // namespace

UniqueGdiObject MakeLogo(int width, int height, COLORREF background) {
  if (width <= 0 || height <= 0) {
    return {};
  }
  Canvas large(width * kOversample, height * kOversample);
  Canvas small(width, height);
  if (!large.Ready() || !small.Ready()) {
    return {};
  }
  const RECT all{0, 0, width * kOversample, height * kOversample};
  UniqueGdiObject backBrush(::CreateSolidBrush(background));
  ::FillRect(large.Dc(), &all, static_cast<HBRUSH>(backBrush.get()));

  const double factor = std::min(static_cast<double>(all.right) / kDesignWidth,
                                 static_cast<double>(all.bottom) / kDesignHeight);
  const Scale s{factor, static_cast<int>((all.right - kDesignWidth * factor) / 2),
                static_cast<int>((all.bottom - kDesignHeight * factor) / 2)};
  DrawTile(large.Dc(), s);
  DrawMark(large.Dc(), s);
  DrawCard(large.Dc(), s);
  ::GdiFlush();

  const std::vector<uint32_t> pixels(large.Bits(), large.Bits() + large.PixelCount());
  const std::vector<uint32_t> smooth = AverageDown(pixels, width, height, kOversample);
  if (smooth.size() != small.PixelCount()) {
    return {};
  }
  std::memcpy(small.Bits(), smooth.data(), smooth.size() * sizeof(uint32_t));
  return small.TakeBitmap();
}

}  // namespace vtr::win32
