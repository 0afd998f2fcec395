#include "dial/Kwind.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

TKWind::TKWind(QWidget* owner) : QWidget(owner) {
  resize(kSize, kSize);
  // The paint covers the whole area, so Qt never needs to clear it first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  // Keys need the focus; only a press gives it, never the window's start-up.
  setFocusPolicy(Qt::ClickFocus);
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

void TKWind::paintEvent(QPaintEvent*) {
  if (frame_.size() != size()) frame_ = QImage(size(), QImage::Format_RGB32);
  PixelTarget target;
  target.pixels = reinterpret_cast<std::uint32_t*>(frame_.bits());
  target.width = frame_.width();
  target.height = frame_.height();
  target.stride = static_cast<int>(frame_.bytesPerLine() / 4);
  target.order = PixelOrder::Xrgb;
  Paint(target);
  QPainter painter(this);
  painter.drawImage(0, 0, frame_);
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
