// TKWind: the wind dial as a Win32 child window. Its window procedure is the dial's hooks: paint,
// key down, mouse down with any button and the erase-background answer, and for screen readers
// the focus and the accessible object; everything else goes to DefWindowProc.
#pragma once

#include <windows.h>

#include "dial/WindDial.h"

class DialAccessible;

class TKWind : public WindDial {
 public:
  static constexpr const wchar_t* kClassName = L"TKWind";
  static bool Register(HINSTANCE instance);

  // A 300 x 300 child of parent at its top-left.
  explicit TKWind(HWND parent);
  ~TKWind() override;

  HWND Handle() const { return handle_; }

  // A press of any mouse button at a client pixel: the dial takes the focus, then the step button
  // there, if any, steps. Screen readers press the step buttons through this too.
  void Press(int x, int y);

 protected:
  void Invalidate() override;
  int ClientWidth() const override;
  int ClientHeight() const override;
  void ValueChanged(DialValue which) override;
  void CurrentChanged(DialValue which) override;
  bool HasKeyboardFocus() const override;

 private:
  template <class Window>
  friend LRESULT CALLBACK DispatchToObject(HWND, UINT, WPARAM, LPARAM);
  LRESULT Dispatch(UINT message, WPARAM wp, LPARAM lp);
  void PaintHandler();
  LRESULT GetObjectHandler(WPARAM wp, LPARAM lp);
  void ReleaseAccessible();

  HWND handle_ = nullptr;
  // Made on the first request, and cut off from the dial when its window goes.
  DialAccessible* accessible_ = nullptr;
};
