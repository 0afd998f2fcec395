// The wind dial without a window toolkit: the three values, their rules, the key table, the
// step-button hit test and the drawing of face and buttons through the turtle. A widget wraps
// it, turning its events into KeyDown, MouseDown and Paint calls and repainting on Invalidate.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "dial/DialValues.h"
#include "turtle/Kg.h"

// Virtual-key codes of the keys the dial answers.
inline constexpr int kKeyPageUp = 0x21;
inline constexpr int kKeyPageDown = 0x22;
inline constexpr int kKeyEnd = 0x23;
inline constexpr int kKeyHome = 0x24;

class WindDial {
 public:
  // The dial's side in pixels, and so the main window's client area, which is exactly the dial.
  static constexpr int kSize = 300;

  WindDial();
  virtual ~WindDial();
  WindDial(const WindDial&) = delete;
  WindDial& operator=(const WindDial&) = delete;

  int course() const { return Value(DialValue::Course); }
  int windDirection() const { return Value(DialValue::WindDirection); }
  int windSpeed() const { return Value(DialValue::WindSpeed); }
  int Value(DialValue which) const { return values_[static_cast<int>(which)]; }

  std::unique_ptr<TKG> turtle;

  // Sets a value through its rule, then repaints and, if it changed, notifies.
  void Set(DialValue which, int value);
  void StepCourse(int value) { Set(DialValue::Course, value); }
  void StepWind(int value) { Set(DialValue::WindDirection, value); }
  void StepSpeed(int value) { Set(DialValue::WindSpeed, value); }
  // One step of the value's own size up (direction > 0) or down (direction < 0).
  void Step(DialValue which, int direction);

  // The value screen readers present as the one being worked on: Course when the dial gains the
  // keyboard focus, then whichever value a key or step button last changed. Readers hear of a
  // new current value (CurrentChanged) before its change (ValueChanged), so a reader that speaks
  // only for the focused object hears the change too.
  DialValue Current() const { return current_; }
  void MakeCurrent(DialValue which);
  // Course becomes current, to be announced by AnnounceCurrent.
  void FocusGained();
  // Announces the current value once since it last became current, if the dial has the keyboard.
  void AnnounceCurrent();

  void KeyDown(int key);
  // A press at client pixel (x, y), any button: applies the step button there, if any.
  void MouseDown(int x, int y);
  // Draws face and buttons into the turtle's bitmap and copies it to target.
  void Paint(CopyTarget& target);

  void DrawDial();
  void DrawButtons();
  void DrawButton(int x, int y, int w, int h, int style, std::string label);

 protected:
  // Asks for a repaint of the whole dial.
  virtual void Invalidate() {}
  // After a value has changed, whether by key, button or a direct step; not when a step left the
  // value as it was.
  virtual void ValueChanged(DialValue) {}
  // Announces which as the current value, while the dial has the keyboard.
  virtual void CurrentChanged(DialValue) {}
  virtual bool HasKeyboardFocus() const { return true; }
  virtual int ClientWidth() const { return kSize; }
  virtual int ClientHeight() const { return kSize; }

 private:
  void PressStepButtons(int x, int y);

  std::array<int, kDialValueCount> values_;
  DialValue current_ = DialValue::Course;
  bool currentUnannounced_ = false;
};
