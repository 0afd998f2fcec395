// The wind dial without a window toolkit: the three values, their rules, the key table, the
// step-button hit test and the drawing of face and buttons through the turtle. A widget wraps
// it, turning its events into KeyDown, MouseDown and Paint calls and repainting on Invalidate.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "dial/DialValues.h"
#include "dial/StepButtons.h"
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

  // The value screen readers present as the one being worked on: Course when the dial first gains
  // the keyboard focus, then whichever value a key, a step button or a reader last worked on, kept
  // while the focus is away (in the menu, say) and announced again when it comes back. A change is
  // told (ValueChanged) before its value is announced as current (CurrentChanged): a reader speaks
  // for the focused object only, so it passes over the change and speaks the new value once, with
  // the focus; a change to the value that is current already it speaks as a change.
  DialValue Current() const { return current_; }
  // which becomes current, to be announced by AnnounceCurrent.
  void MakeCurrent(DialValue which);
  // The dial has gained the keyboard focus: the current value is to be announced again, Course
  // the first time.
  void FocusGained();
  // Announces the current value once since it last became current, if the dial has the keyboard.
  void AnnounceCurrent();

  // Where a menu opened from the keyboard appears: just below the current value's step buttons,
  // where the user is at work.
  DialPoint KeyboardMenuPoint() const;

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
  // A user works on which: it becomes current, steps, and is announced, whether it changed or not.
  void StepAsUser(DialValue which, int direction);

  std::array<int, kDialValueCount> values_;
  DialValue current_ = DialValue::Course;
  bool currentUnannounced_ = false;
  bool focusedBefore_ = false;
};

// Draws a dial at the initial values on a turtle of its own and drops the picture, so that the
// fonts and glyphs of the first frame are loaded before the window's first paint asks for them.
// Safe on any thread whose floating-point settings are those of the thread that paints, since the
// glyphs it renders are kept for that one, while no other thread draws or measures text; never
// throws.
void WarmUpDial();
