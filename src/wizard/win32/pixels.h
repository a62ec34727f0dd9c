// Turning the form's twips into a screen's pixels, sizing the window's client area, and the
// smoothing of pictures drawn at a multiple of their size. Plain arithmetic, so it is checked
// natively as well as under Windows.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vtr::win32 {

inline constexpr int kTwipsPerInch = 1440;

// Twips to pixels at a DPI, rounded to the nearest pixel (halves away from zero), so a
// control parked at a large negative position stays as far out of sight.
inline int TwipsToPixels(int twips, int dpi) {
  const int64_t scaled = static_cast<int64_t>(twips) * dpi;
  const int64_t half = kTwipsPerInch / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                      : -((-scaled + half) / kTwipsPerInch));
}

struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// A rectangle in twips on screen. Both edges are rounded, not the size, so neighbouring
// controls that touch in twips touch on screen too.
inline PixelRect TwipsToPixels(int left, int top, int width, int height, int dpi) {
  const int x = TwipsToPixels(left, dpi);
  const int y = TwipsToPixels(top, dpi);
  return {x, y, TwipsToPixels(left + width, dpi) - x, TwipsToPixels(top + height, dpi) - y};
}

// A label one line high shows its whole text: when the text is wider than the label, a
// centred label grows evenly to both sides (it stays centred where the form put it), any
// other grows to the right. Wrapping would push the rest of the text below the label, out of
// sight ("Rev: 3.3.0" would read "Rev:").
inline PixelRect WidenForOneLine(PixelRect label, int textWidth, bool centred) {
  const int missing = textWidth - label.width;
  if (missing <= 0) {
    return label;
  }
  if (centred) {
    label.left -= (missing + 1) / 2;
  }
  label.width += missing;
  return label;
}

// Keeps a control off the border of the frame that holds it: the left, right and bottom
// edges stay `border` pixels inside the frame. A label as wide as its frame would otherwise
// paint over the frame's line.
inline PixelRect KeepInsideBorder(PixelRect control, const PixelRect& frame, int border) {
  const int left = std::max(control.left, frame.left + border);
  const int right = std::min(control.left + control.width, frame.left + frame.width - border);
  const int bottom = std::min(control.top + control.height, frame.top + frame.height - border);
  control.width = std::max(0, right - left);
  control.height = std::max(0, bottom - control.top);
  control.left = left;
  return control;
}

// One side of the client area: what the window's outer size leaves inside the frame, but
// never less than the controls reach plus the margin the form keeps at the top left. Today's
// thick frames would otherwise cut into a form laid out for thin ones.
inline int ClientSide(int outerPixels, int framePixels, int extentPixels, int marginPixels) {
  return std::max(outerPixels - framePixels, extentPixels + marginPixels);
}

// Shrinks a picture of 32-bit pixels (blue, green, red, spare byte) drawn at `factor` times
// its final size: each final pixel is the rounded mean of its factor x factor block, channel
// by channel. That is how the logo gets smooth edges from plain GDI drawing.
inline std::vector<uint32_t> AverageDown(const std::vector<uint32_t>& large, int width, int height,
                                         int factor) {
  std::vector<uint32_t> small;
  if (width <= 0 || height <= 0 || factor <= 0 ||
      large.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                          static_cast<std::size_t>(factor) * static_cast<std::size_t>(factor)) {
    return small;
  }
  small.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  const std::size_t largeWidth = static_cast<std::size_t>(width) * static_cast<std::size_t>(factor);
  const uint32_t count = static_cast<uint32_t>(factor * factor);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t sums[4] = {0, 0, 0, 0};
      for (int dy = 0; dy < factor; ++dy) {
        const std::size_t row = static_cast<std::size_t>(y * factor + dy) * largeWidth;
        for (int dx = 0; dx < factor; ++dx) {
          const uint32_t pixel = large[row + static_cast<std::size_t>(x * factor + dx)];
          for (int channel = 0; channel < 4; ++channel) {
            sums[channel] += (pixel >> (8 * channel)) & 0xFFu;
          }
        }
      }
      uint32_t mean = 0;
      for (int channel = 0; channel < 4; ++channel) {
        mean |= ((sums[channel] + count / 2) / count) << (8 * channel);
      }
      small[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
            static_cast<std::size_t>(x)] = mean;
    }
  }
  return small;
}

}  // namespace vtr::win32
