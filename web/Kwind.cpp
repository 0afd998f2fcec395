#include "web/Kwind.h"

#include <emscripten.h>

#include <algorithm>
#include <cstring>

#include "web/KwindAccessible.h"

// The page paints on the next animation frame, once however many invalidations come before it.
EM_JS(void, QuorelInvalidate, (), { quorelShell.invalidate(); });
EM_JS(void, QuorelPutImage, (const std::uint32_t* pixels, int side),
      { quorelShell.putImage(pixels, side); });

TKWind::TKWind() {
  BuildDialAccessible(*this);
}

TKWind::~TKWind() = default;

int TKWind::VirtualKey(const char* key) {
  if (std::strcmp(key, "PageUp") == 0) return kKeyPageUp;
  if (std::strcmp(key, "PageDown") == 0) return kKeyPageDown;
  if (std::strcmp(key, "End") == 0) return kKeyEnd;
  if (std::strcmp(key, "Home") == 0) return kKeyHome;
  return 0;
}

void TKWind::Press(int x, int y) {
  focused_ = true;
  MouseDown(x, y);
}

void TKWind::FocusIn() {
  focused_ = true;
  FocusGained();
  AnnounceCurrent();
}

void TKWind::Invalidate() {
  QuorelInvalidate();
}

void TKWind::ValueChanged(DialValue which) {
  NotifyDialValueChanged(*this, which);
}

void TKWind::CurrentChanged(DialValue which) {
  NotifyDialFocus(which);
}

namespace {

// The turtle's 0xAARRGGBB pixels as the canvas's R, G, B, A bytes, each an n x n block.
constexpr std::uint32_t Rgba(std::uint32_t p) {
  return (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
}

class CanvasTarget : public CopyTarget {
 public:
  CanvasTarget(std::vector<std::uint32_t>& rgba, int ratio) : rgba_(rgba), ratio_(ratio) {}
  void CopyPixels(const std::uint32_t* pixels, int width, int height) override {
    const int n = ratio_;
    const int side = std::max(width, height) * n;
    const auto size = static_cast<std::size_t>(side) * side;
    if (rgba_.size() != size) rgba_.assign(size, 0xFF000000u);
    // One plain loop a row: this copy is most of a warm frame's time in WebAssembly.
    for (int y = 0; y < height; ++y) {
      const std::uint32_t* in = pixels + static_cast<std::size_t>(y) * width;
      std::uint32_t* row = rgba_.data() + static_cast<std::size_t>(y) * n * side;
      if (n == 1) {
        for (int x = 0; x < width; ++x) row[x] = Rgba(in[x]);
      } else {
        for (int x = 0; x < width; ++x) {
          const std::uint32_t p = Rgba(in[x]);
          for (int k = 0; k < n; ++k) row[x * n + k] = p;
        }
        for (int r = 1; r < n; ++r)
          std::copy_n(row, side, row + static_cast<std::size_t>(r) * side);
      }
    }
    QuorelPutImage(rgba_.data(), side);
  }

 private:
  std::vector<std::uint32_t>& rgba_;
  int ratio_;
};

}  // namespace

void TKWind::PaintAt(int ratio) {
  CanvasTarget target(rgba_, std::clamp(ratio, 1, 4));
  Paint(target);
}
