// One turtle serves a whole fuzzing run, brought back to a new turtle's state before each input:
// a new one would take its pixels from fresh pages every time, which costs more than the drawing.
#pragma once

#include "fuzz/FuzzInput.h"
#include "turtle/Kg.h"

// With keepSize the bitmap keeps its size and pixels, for a caller that sizes and clears it
// before drawing anyway.
inline void RenewTurtle(TKG& t, bool keepSize = false) {
  Bitmap& b = *t.bitmap;
  if (!keepSize) t.SetSize(0, 0);
  b.SetPenColour(0);
  b.SetFillColour(0xFFFFFF);
  b.MoveTo(0, 0);
  b.SelectFont({});
  b.SetFontColour(0);
  t.x = t.y = t.heading = 0;
  t.penDown = t.busy = 0;
  *t.font = FontTemplate{};
  static const TKG fresh;
  const Bitmap& n = *fresh.bitmap;
  Check((keepSize || (b.Width() == 0 && b.Height() == 0)) && b.FillColour() == n.FillColour() &&
        b.FillIsClear() == n.FillIsClear() && b.CurrentX() == 0 && b.CurrentY() == 0 &&
        b.Font() == n.Font() && t.font->name == fresh.font->name &&
        t.font->height == fresh.font->height && t.font->colour == fresh.font->colour);
}
