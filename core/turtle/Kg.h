// TKG: a turtle-graphics engine drawing into an off-screen bitmap. The turtle has a position in
// floating-point pixels, a heading in degrees (0 up, growing clockwise) and a pen; a few fixed
// primitives are drawn at the turtle, and DrawTo copies the finished bitmap out in one piece.
#pragma once

#include <cmath>
#include <memory>
#include <string>

#include "turtle/Bitmap.h"
#include "turtle/SinCosCache.h"

// The face, height and colour Text draws with.
struct FontTemplate {
  std::string name = "Tahoma";
  int height = -11;
  int colour = 0;
};

// floor(v + 0.5) for v > 0, else -floor(|v| + 0.5): halves round away from zero.
double RoundHalfAway(double v);

// Truncation toward zero to a 32-bit int. Values beyond the int range saturate and NaN gives
// INT_MIN (the x86 conversion's "integer indefinite"), so any turtle state stays drawable.
int TruncInt(double v);

// The modes Circle, Box and Text take.
enum CircleMode : int { kCircleOutline = 0, kCircleFilled = 1 };
enum BoxMode : int { kBoxFramed = 0, kBoxFilled = 1 };
enum TextMode : int { kTextUpright = 0, kTextRotated = 1, kTextCentred = 2 };

class TKG {
 public:
  TKG();

  std::unique_ptr<Bitmap> bitmap;
  double x = 0;
  double y = 0;
  double heading = 0;
  int penDown = 0;
  int busy = 0;  // owned by the dial drawing; the turtle never touches it
  std::unique_ptr<FontTemplate> font;

  void DrawTo(CopyTarget& target) const;
  void SetSize(int width, int height);
  void Clear(int colour);
  void SetColor(int colour);
  void SetFont(const std::string& face, int height);
  void PenUp() { penDown = 0; }
  void PenDown() { penDown = 1; }
  void SetHeading(double h) {
    if (std::isfinite(h)) heading = h;
  }
  double GetX() const { return x; }
  void Turn(double a);
  void Forward(double d);
  void SetPos(int px, int py);
  void SetX(int px);
  void Circle(int r, int mode);
  void Box(int w, int h, int mode);
  void Fill();
  void Text(const std::string& utf8, int mode);

 private:
  void MovePen(int px, int py);

  SinCosCache trig_;
};
