// The dial face: a heading-up compass card turned so that the course is under the index mark,
// axis dots, rings, ticks, the wind bar and the readout, all white on black.
#pragma once

#include <array>
#include <string>

#include "turtle/Kg.h"

// The face's labels, one per 10 degrees; empty where no label is drawn.
const std::array<std::string, 36>& compassLabels();

// Redraws the whole face on a width x height bitmap, centred. A call made while the turtle is
// already drawing a face (its busy flag set) draws nothing.
void DrawFace(TKG& t, int width, int height, int course, int windDirection, int windSpeed);
