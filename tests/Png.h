// Just enough PNG for the tests' pictures: 8-bit RGB, not interlaced, through zlib only.
#pragma once

#include <string>

#include "tests/Pixels.h"

bool WritePng(const std::string& path, const Capture& picture);

// False for a file that cannot be read or is not such a PNG.
bool ReadPng(const std::string& path, Capture& picture);
