// TKWind: the wind dial as a Qt widget. It paints every pixel itself from the turtle's bitmap and
// hands keys and presses to the toolkit-free dial.
#pragma once

#include <QWidget>

#include "dial/WindDial.h"

class TKWind : public QWidget, public WindDial {
  Q_OBJECT

 public:
  explicit TKWind(QWidget* owner);

  // Maps a Qt key to the virtual-key code the dial's key table uses; 0 for any other key.
  static int VirtualKey(int qtKey);

  // A press of any mouse button at a client pixel: the dial takes the focus, then the step button
  // there, if any, steps. Screen readers press the step buttons through this too.
  void Press(QPoint at);

 protected:
  void Invalidate() override { update(); }
  int ClientWidth() const override { return width(); }
  int ClientHeight() const override { return height(); }
  void ValueChanged(DialValue which) override;
  void CurrentChanged(DialValue which) override;
  bool HasKeyboardFocus() const override { return hasFocus(); }

  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
};
