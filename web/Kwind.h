// TKWind: the wind dial as the page's canvas element. It paints every pixel from the turtle's
// bitmap with one putImageData and hands the keys and presses the page forwards to the dial.
#pragma once

#include <cstdint>
#include <vector>

#include "dial/WindDial.h"

class TKWind : public WindDial {
 public:
  TKWind();
  ~TKWind() override;

  // The page's key value ("PageDown", ...) as the virtual-key code of the dial's key table; 0 for
  // any other key.
  static int VirtualKey(const char* key);

  // A press of any mouse button at a client pixel: the page has given the canvas the focus.
  void Press(int x, int y);
  void FocusIn();
  void FocusOut() { focused_ = false; }
  // Paints the dial at a whole device pixel ratio, each pixel an n x n block.
  void PaintAt(int ratio);

 protected:
  void Invalidate() override;
  void ValueChanged(DialValue which) override;
  void CurrentChanged(DialValue which) override;
  bool HasKeyboardFocus() const override { return focused_; }

 private:
  bool focused_ = false;
  // The frame enlarged for a device pixel ratio above 1, kept from one paint to the next.
  std::vector<std::uint32_t> blocks_;
};
