// A frame against its floor for the Windows build, timed by itself: Google Benchmark is not built
// for MinGW here. The floor is one 32-bit fill and one copy of the 300 x 300 pixels, as the
// bitmap's clear fills them on this platform; the frame is a whole repaint of the dial with its
// copy out. Blocks of each are timed in turn, and the medians compared.
//   quorel_win_bench [BLOCKS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "dial/WindDial.h"

namespace {

constexpr int kSide = WindDial::kSize;
constexpr int kPerBlock = 50;

using Clock = std::chrono::steady_clock;

struct Buffer : CopyTarget {
  void CopyPixels(const std::uint32_t* pixels, int width, int height) override {
    std::memcpy(out.data(), pixels, static_cast<std::size_t>(width) * height * sizeof *pixels);
  }
  std::vector<std::uint32_t> out = std::vector<std::uint32_t>(kSide * kSide);
};

// Microseconds per run of one block of kPerBlock runs of step.
template <class Step>
double TimeBlock(Step step) {
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < kPerBlock; ++i) step();
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kPerBlock;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int blocks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 101;
  std::vector<std::uint32_t> pixels(kSide * kSide);
  Buffer buffer;
  WindDial dial;
  dial.StepCourse(30);
  dial.StepWind(120);
  dial.StepSpeed(25);
  dial.Paint(buffer);  // fonts found and glyphs rendered before the clock starts

  auto floor = [&] {
    std::fill_n(pixels.data(), pixels.size(), 0xFF000000u);
    std::memcpy(buffer.out.data(), pixels.data(), pixels.size() * sizeof(std::uint32_t));
    // The copy counts as read, so no run of the loop can be left out.
    __asm__ __volatile__("" : : "r"(buffer.out.data()) : "memory");
  };
  auto frame = [&] { dial.Paint(buffer); };
  std::vector<double> floors, frames;
  for (int b = 0; b < blocks; ++b) {
    floors.push_back(TimeBlock(floor));
    frames.push_back(TimeBlock(frame));
  }
  const double floorUs = Median(floors), frameUs = Median(frames);
  std::printf("medians of %d blocks of %d (pixel %08x):\n", blocks, kPerBlock,
              static_cast<unsigned>(buffer.out[kSide * kSide / 2]));
  std::printf("  floor  %8.2f us  fill and copy of %d x %d pixels\n", floorUs, kSide, kSide);
  std::printf("  frame  %8.2f us  whole repaint and copy\n", frameUs);
  std::printf("  ratio  %8.2f x\n", frameUs / floorUs);
  return 0;
}
