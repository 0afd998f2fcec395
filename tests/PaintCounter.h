// Counts the paint events a widget receives.
#pragma once

#include <QEvent>
#include <QObject>

class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QObject* target) { target->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }
};
