#include "turtle/Kg.h"

#include <climits>
#include <cmath>

#include "turtle/Extended.h"

namespace {

// trunc(RoundHalfAway(v)); on the bitmap's scale the sum's truncation is the floor, with no
// library call.
int PixelCoord(double v) {
  const double magnitude = std::fabs(v);
  if (magnitude < 2147483647.0) {
    const int whole = static_cast<int>(magnitude + 0.5);
    return v > 0 ? whole : -whole;
  }
  return TruncInt(RoundHalfAway(v));
}

int Offset(int base, int size) {
  return TruncInt(static_cast<double>(base) + size);
}

}  // namespace

double RoundHalfAway(double v) {
  if (v > 0) return std::floor(v + 0.5);
  return -std::floor(std::fabs(v) + 0.5);
}

int TruncInt(double v) {
  if (std::isnan(v)) return INT_MIN;
  if (v <= INT_MIN) return INT_MIN;
  if (v >= INT_MAX) return INT_MAX;
  return static_cast<int>(v);
}

TKG::TKG() : bitmap(std::make_unique<Bitmap>()), font(std::make_unique<FontTemplate>()) {}

void TKG::DrawTo(CopyTarget& target) const {
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

// A heading that is not finite would poison every later move, so such a turn is ignored.
void TKG::Turn(double a) {
  const double sum = heading + a;
  double h;
  // The remainders fmod would give near the range, exactly, without its cost.
  if (sum >= 0 && sum < 360.0) {
    h = sum;
  } else if (sum >= 360.0 && sum < 720.0) {
    h = sum - 360.0;
  } else {
    h = std::fmod(sum, 360.0);
  }
  if (!std::isfinite(h)) return;
  if (h < 0) h += 360.0;
  heading = h;
}

// The step is formed in extended precision and only rounded to double when stored, which
// decides the pixel a half-way position lands on. A step that would leave the finite plane is
// not taken at all, so the turtle keeps a position it can come back from.
void TKG::Forward(double d) {
  const SinCos r = trig_.OfDegrees(heading);
  const double nx = StepCoordinate(x, r.sin, d);
  const double ny = StepCoordinate(y, -r.cos, d);
  if (!std::isfinite(nx) || !std::isfinite(ny)) return;
  x = nx;
  y = ny;
  MovePen(PixelCoord(x), PixelCoord(y));
}

void TKG::SetPos(int px, int py) {
  x = px;
  y = py;
  MovePen(px, py);
}

void TKG::SetX(int px) {
  x = px;
  MovePen(px, PixelCoord(y));
}

// Any pen state other than up or down moves the turtle only, not the surface's current point.
void TKG::MovePen(int px, int py) {
  if (penDown == 0) bitmap->MoveTo(px, py);
  if (penDown == 1) bitmap->LineTo(px, py);
}

void TKG::Circle(int r, int mode) {
  const double cx = RoundHalfAway(x), cy = RoundHalfAway(y);
  if (mode == kCircleOutline) bitmap->SetFillClear();
  if (mode == kCircleFilled) bitmap->SetFillSolid();
  bitmap->Ellipse(TruncInt(cx - r), TruncInt(cy + r), TruncInt(cx + r), TruncInt(cy - r));
}

void TKG::Box(int w, int h, int mode) {
  const int px = PixelCoord(x), py = PixelCoord(y);
  if (mode == kBoxFramed) {
    bitmap->SetFillSolid();
    bitmap->FrameRect(px, py, Offset(px, w), Offset(py, h));
  } else if (mode == kBoxFilled) {
    bitmap->SetFillSolid();
    bitmap->FillRect(px, py, Offset(px, w), Offset(py, h));
  }
}

void TKG::Fill() {
  const int px = PixelCoord(x), py = PixelCoord(y);
  bitmap->SetFillSolid();
  bitmap->FloodFill(px, py);
}

// Upright (any mode of 0 or below): top-left at the turtle. Rotated (any other positive mode):
// turned to the heading, tops of the letters facing it. Centred: turned and centred on the turtle.
void TKG::Text(const std::string& utf8, int mode) {
  const int x0 = PixelCoord(x), y0 = PixelCoord(y);
  const double a = 360.0 - heading;
  const SinCos turn = trig_.OfDegrees(a);
  const double s = turn.sin, c = turn.cos;

  FontSpec desc;
  desc.face = font->name;
  desc.height = font->height;
  desc.weight = 400;
  desc.escapement = mode > 0 ? TruncInt(a * 10.0) : 0;
  bitmap->SelectFont(desc);
  bitmap->SetFontColour(font->colour);

  int px = x0, py = y0;
  if (mode == kTextCentred) {
    // Evaluated in extended precision: sin and cos of whole quarter turns are tiny non-zero
    // values, which move a centred text by one pixel at some headings.
    const TextExtent extent = bitmap->MeasureText(utf8);
    const int hw = extent.width / 2, hh = extent.height / 2;
    px = TruncInt(TruncOfDifference(x0, hh, s, hw, c));
    py = TruncInt(TruncOfDifference(y0, hh, c, hw, -s));
  }
  bitmap->SetFillClear();
  bitmap->TextOut(px, py, utf8);
}
