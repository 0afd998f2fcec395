// The ink and the typeface that the face and the step buttons share.
#pragma once

inline constexpr int kBlack = 0x000000;
inline constexpr int kWhite = 0xFFFFFF;
inline constexpr int kGrey = 0xAAAAAA;

inline constexpr const char* kDialFace = "Arial";
