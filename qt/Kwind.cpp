#include "qt/Kwind.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "qt/KwindAccessible.h"

TKWind::TKWind(QWidget* owner) : QWidget(owner) {
  resize(kSize, kSize);
  // The paint covers the whole area, so Qt never needs to clear it first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  // Keys need the focus: a press or Tab gives it. The form keeps it from the window's start-up.
  setFocusPolicy(Qt::StrongFocus);
}

int TKWind::VirtualKey(int qtKey) {
  switch (qtKey) {
    case Qt::Key_PageUp:
      return kKeyPageUp;
    case Qt::Key_PageDown:
      return kKeyPageDown;
    case Qt::Key_End:
      return kKeyEnd;
    case Qt::Key_Home:
      return kKeyHome;
    default:
      return 0;
  }
}

namespace {

// Eight pixels at a time: one store per register rather than per pixel is what makes the copy
// cheap. Where the processor has AVX2 a register holds all eight, elsewhere two halves. Only x86
// has that choice made at run time; other processors get the one loop their compiler makes.
using Pixels8 = std::uint32_t __attribute__((vector_size(32)));

// One row of width pixels, each copied n times.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target_clones("avx2", "default")))
#endif
void ExpandRow(const std::uint32_t* source, int width, int n, std::uint32_t* out) {
  auto store = [](std::uint32_t* p, Pixels8 v) { std::memcpy(p, &v, sizeof v); };
  int x = 0;
  Pixels8 v;
  if (n == 2) {
    for (; x + 8 <= width; x += 8, out += 16) {
      std::memcpy(&v, source + x, sizeof v);
      store(out, __builtin_shufflevector(v, v, 0, 0, 1, 1, 2, 2, 3, 3));
      store(out + 8, __builtin_shufflevector(v, v, 4, 4, 5, 5, 6, 6, 7, 7));
    }
  } else if (n == 3) {
    for (; x + 8 <= width; x += 8, out += 24) {
      std::memcpy(&v, source + x, sizeof v);
      store(out, __builtin_shufflevector(v, v, 0, 0, 0, 1, 1, 1, 2, 2));
      store(out + 8, __builtin_shufflevector(v, v, 2, 3, 3, 3, 4, 4, 4, 5));
      store(out + 16, __builtin_shufflevector(v, v, 5, 5, 6, 6, 6, 7, 7, 7));
    }
  }
  for (; x < width; ++x, out += n) std::fill_n(out, n, source[x]);
}

// Writes the picture straight into the image the painter draws on, each pixel an n x n block of
// device pixels, within the painter's system clip. Qt's own scaling costs several times more
// for the same nearest-neighbour picture. False, drawing nothing, when the painter's device is
// not a 32-bit image it can be written to, or the painter does not scale by exactly n.
bool ExpandOnto(QPainter& painter, const std::uint32_t* pixels, int width, int height, int n) {
  QPaintEngine* engine = painter.paintEngine();
  QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
  if (!device || device->devType() != QInternal::Image) return false;
  auto& image = *static_cast<QImage*>(device);
  const QImage::Format format = image.format();
  if ((format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
       format != QImage::Format_ARGB32_Premultiplied) ||
      !image.isDetached()) {
    return false;
  }
  const QTransform t = painter.deviceTransform();
  if (t.type() > QTransform::TxScale || t.m11() != n || t.m22() != n ||
      t.dx() != std::floor(t.dx()) || t.dy() != std::floor(t.dy())) {
    return false;
  }
  const QRect area =
      QRect(static_cast<int>(t.dx()), static_cast<int>(t.dy()), width * n, height * n) &
      image.rect();
  const QRegion clip = engine->systemClip();
  const QRegion region = clip.isEmpty() ? QRegion(area) : clip & area;
  const int left = static_cast<int>(t.dx()), top = static_cast<int>(t.dy());
  uchar* bits = image.bits();
  for (const QRect& r : region) {
    for (int y = r.top(); y <= r.bottom(); ++y) {
      auto* line = reinterpret_cast<std::uint32_t*>(bits + y * image.bytesPerLine());
      const std::uint32_t* source = pixels + static_cast<std::size_t>((y - top) / n) * width;
      if (r.left() == left && r.width() == width * n) {
        ExpandRow(source, width, n, line + left);
      } else {
        for (int x = r.left(); x <= r.right(); ++x) line[x] = source[(x - left) / n];
      }
    }
  }
  return true;
}

// Shows the turtle's finished bitmap through a painter: at a whole ratio above 1 by writing the
// device pixels itself where it can, otherwise through Qt.
class PainterTarget : public CopyTarget {
 public:
  PainterTarget(QPainter& painter, int wholeRatio) : painter_(painter), ratio_(wholeRatio) {}
  void CopyPixels(const std::uint32_t* pixels, int width, int height) override {
    if (ratio_ > 1 && ExpandOnto(painter_, pixels, width, height, ratio_)) return;
    const QImage view(reinterpret_cast<const uchar*>(pixels), width, height,
                      static_cast<qsizetype>(width) * 4, QImage::Format_RGB32);
    painter_.drawImage(0, 0, view);
  }

 private:
  QPainter& painter_;
  int ratio_;
};

}  // namespace

// The ratio is the painter's, so a render into an image or a pixmap of its own ratio scales
// the same way as the screen.
void TKWind::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const qreal ratio = painter.deviceTransform().m11();
  const bool whole = ratio == std::floor(ratio) && ratio >= 1;
  // Whole ratios scale by whole pixels and stay crisp; only in-between ratios need smoothing.
  if (!whole) painter.setRenderHint(QPainter::SmoothPixmapTransform);
  PainterTarget target(painter, whole ? static_cast<int>(ratio) : 0);
  Paint(target);
}

// Qt announces the dial itself as focused once this handler has returned, so the current value's
// spin button is announced after that: at the next change, or when the event loop comes round.
void TKWind::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  FocusGained();
  QMetaObject::invokeMethod(
      this, [this] { AnnounceCurrent(); }, Qt::QueuedConnection);
}

void TKWind::CurrentChanged(DialValue which) {
  NotifyDialFocus(this, which);
}

void TKWind::ValueChanged(DialValue which) {
  NotifyDialValueChanged(this, which);
}

// Auto-repeats act like presses; modifiers are ignored.
void TKWind::keyPressEvent(QKeyEvent* event) {
  const int key = VirtualKey(event->key());
  if (key == 0) {
    QWidget::keyPressEvent(event);
    return;
  }
  KeyDown(key);
}

// Any button acts, and the second press of a double click arrives here too (QWidget's double-click
// handler forwards to this one). The right button's context menu is left to the form: the dial
// ignores context-menu events, so they travel on to its parent.
void TKWind::mousePressEvent(QMouseEvent* event) {
  QWidget::mousePressEvent(event);
  event->accept();
  Press(event->position().toPoint());
}

void TKWind::Press(QPoint at) {
  setFocus(Qt::MouseFocusReason);
  MouseDown(at.x(), at.y());
}
