#include "dial/Kwind.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "dial/KwindAccessible.h"

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

// Shows the turtle's finished bitmap through a painter, straight from the turtle's own pixels.
class PainterTarget : public CopyTarget {
 public:
  explicit PainterTarget(QPainter& painter) : painter_(painter) {}
  void CopyPixels(const std::uint32_t* pixels, int width, int height) override {
    const QImage view(reinterpret_cast<const uchar*>(pixels), width, height,
                      static_cast<qsizetype>(width) * 4, QImage::Format_RGB32);
    painter_.drawImage(0, 0, view);
  }

 private:
  QPainter& painter_;
};

}  // namespace

void TKWind::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // Whole ratios scale by whole pixels and stay crisp; only in-between ratios need smoothing.
  const qreal ratio = devicePixelRatioF();
  if (ratio != std::floor(ratio)) painter.setRenderHint(QPainter::SmoothPixmapTransform);
  PainterTarget target(painter);
  Paint(target);
}

// Qt announces the dial itself as focused once this handler has returned, so the current value's
// slider is announced after that: at the next change, or when the event loop comes round.
void TKWind::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  FocusGained();
  currentUnannounced_ = true;
  QMetaObject::invokeMethod(this, &TKWind::AnnounceCurrent, Qt::QueuedConnection);
}

void TKWind::AnnounceCurrent() {
  if (!currentUnannounced_ || !hasFocus()) return;
  currentUnannounced_ = false;
  NotifyDialFocus(this, Current());
}

void TKWind::CurrentChanged(DialValue) {
  currentUnannounced_ = true;
  AnnounceCurrent();
}

// The focus goes first, so a reader that speaks only for the focused object hears the change.
void TKWind::ValueChanged(DialValue which) {
  AnnounceCurrent();
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
  setFocus(Qt::MouseFocusReason);
  const QPoint at = event->position().toPoint();
  MouseDown(at.x(), at.y());
}
