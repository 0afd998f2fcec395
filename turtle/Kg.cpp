#include "turtle/Kg.h"

#include <climits>
#include <cmath>

namespace {

int PixelOf(double v) {
  return TruncInt(RoundHalfAway(v));
}

int Offset(int base, int size) {
  return TruncInt(static_cast<long double>(base) + size);
}

}  // namespace

double RoundHalfAway(double v) {
  if (v > 0) return std::floor(v + 0.5);
  return -std::floor(std::fabs(v) + 0.5);
}

int TruncInt(long double v) {
  if (std::isnan(v)) return INT_MIN;
  if (v <= INT_MIN) return INT_MIN;
  if (v >= INT_MAX) return INT_MAX;
  return static_cast<int>(v);
}

TKG::TKG() : bitmap(std::make_unique<Bitmap>()), font(std::make_unique<FontTemplate>()) {}

void TKG::DrawTo(const PixelTarget& target) const {
  bitmap->CopyTo(target);
}

void TKG::SetSize(int width, int height) {
  bitmap->SetWidth(width);
  bitmap->SetHeight(height);
}

void TKG::Clear(int colour) {
  bitmap->SetFillColour(colour);
  bitmap->FillRect(0, 0, bitmap->Width(), bitmap->Height());
  x = 0;
  y = 0;
  heading = 0;
}

void TKG::SetColor(int colour) {
  bitmap->SetPenColour(colour);
  bitmap->SetFillColour(colour);
  font->colour = colour;
}

void TKG::SetFont(const std::string& face, int height) {
  font->name = face;
  font->height = height;
}

void TKG::Turn(double a) {
  heading = std::fmod(heading + a, 360.0);
  if (!(heading >= 0)) heading += 360.0;
}

// The step is formed in extended precision and only rounded to double when stored, which
// decides the pixel a half-way position lands on.
void TKG::Forward(double d) {
  const double r = heading * kRadiansPerDegree;
  x = static_cast<double>(x + static_cast<long double>(std::sin(r)) * d);
  y = static_cast<double>(y - static_cast<long double>(std::cos(r)) * d);
  MovePen(PixelOf(x), PixelOf(y));
}

void TKG::SetPos(int px, int py) {
  x = px;
  y = py;
  MovePen(px, py);
}

void TKG::SetX(int px) {
  x = px;
  MovePen(px, PixelOf(y));
}

// Any pen state other than up or down moves the turtle only, not the surface's current point.
void TKG::MovePen(int px, int py) {
  if (penDown == 0) bitmap->MoveTo(px, py);
  if (penDown == 1) bitmap->LineTo(px, py);
}

void TKG::Circle(int r, int mode) {
  const double cx = RoundHalfAway(x), cy = RoundHalfAway(y);
  if (mode == 0) bitmap->SetFillClear();
  if (mode == 1) bitmap->SetFillSolid();
  bitmap->Ellipse(TruncInt(cx - r), TruncInt(cy + r), TruncInt(cx + r), TruncInt(cy - r));
}

void TKG::Box(int w, int h, int mode) {
  const int px = PixelOf(x), py = PixelOf(y);
  if (mode == 0) {
    bitmap->SetFillSolid();
    bitmap->FrameRect(px, py, Offset(px, w), Offset(py, h));
  } else if (mode == 1) {
    bitmap->SetFillSolid();
    bitmap->FillRect(px, py, Offset(px, w), Offset(py, h));
  }
}

void TKG::Fill() {
  const int px = PixelOf(x), py = PixelOf(y);
  bitmap->SetFillSolid();
  bitmap->FloodFill(px, py);
}

// Mode 0: upright, top-left at the turtle. Mode 1 (any other positive mode): turned to the
// heading, tops of the letters facing it. Mode 2: turned and centred on the turtle.
void TKG::Text(const std::string& utf8, int mode) {
  const int x0 = PixelOf(x), y0 = PixelOf(y);
  const double a = 360.0 - heading;
  const double angle = a * kRadiansPerDegree;
  const double s = std::sin(angle), c = std::cos(angle);

  FontSpec spec;
  spec.face = font->name;
  spec.height = font->height;
  spec.weight = 400;
  spec.escapement = mode > 0 ? TruncInt(a * 10.0) : 0;
  bitmap->SelectFont(spec);
  bitmap->SetFontColour(font->colour);

  int px = x0, py = y0;
  if (mode == 2) {
    // Evaluated in extended precision: sin and cos of whole quarter turns are tiny non-zero
    // values, which move a centred text by one pixel at some headings.
    const TextExtent extent = bitmap->MeasureText(utf8);
    const long double hw = extent.width / 2, hh = extent.height / 2;
    px = TruncInt(x0 - hh * static_cast<long double>(s) - hw * static_cast<long double>(c));
    py = TruncInt(y0 - hh * static_cast<long double>(c) + hw * static_cast<long double>(s));
  }
  bitmap->SetFillClear();
  bitmap->TextOut(px, py, utf8);
}
