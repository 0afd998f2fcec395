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

// The turtle keeps its pixels in the canvas's R, G, B, A byte order (QUOREL_RGBA_PIXELS), so at
// ratio 1 the page puts the bitmap itself; at a higher ratio each pixel becomes an n x n block.
class CanvasTarget : public CopyTarget {
 public:
  CanvasTarget(std::vector<std::uint32_t>& blocks, int ratio) : blocks_(blocks), ratio_(ratio) {}
  void CopyPixels(const std::uint32_t* pixels, int width, int height) override {
    const int n = ratio_;
    if (n == 1 && width == height) {
      QuorelPutImage(pixels, width);
      return;
    }
    const int side = std::max(width, height) * n;
    const auto size = static_cast<std::size_t>(side) * side;
    if (blocks_.size() != size) blocks_.assign(size, 0xFF000000u);
    for (int y = 0; y < height; ++y) {
      const std::uint32_t* in = pixels + static_cast<std::size_t>(y) * width;
      std::uint32_t* row = blocks_.data() + static_cast<std::size_t>(y) * n * side;
      for (int x = 0; x < width; ++x) std::fill_n(row + x * n, n, in[x]);
      for (int r = 1; r < n; ++r) std::copy_n(row, side, row + static_cast<std::size_t>(r) * side);
    }
    QuorelPutImage(blocks_.data(), side);
  }

 private:
  std::vector<std::uint32_t>& blocks_;
  int ratio_;
};

}  // namespace

void TKWind::PaintAt(int ratio) {
  CanvasTarget target(blocks_, std::clamp(ratio, 1, 4));
  Paint(target);
}
