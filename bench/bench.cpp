// The repaint path's cost: `make bench` (Google Benchmark flags pass through BENCH_ARGS).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "qt/Kwind.h"

namespace {

constexpr int kSide = WindDial::kSize;

// A plain buffer standing in for the window surface.
struct Buffer : CopyTarget {
  void CopyPixels(const std::uint32_t* pixels, int width, int height) override {
    std::memcpy(out.data(), pixels, static_cast<std::size_t>(width) * height * sizeof *pixels);
  }
  std::vector<std::uint32_t> out = std::vector<std::uint32_t>(kSide * kSide);
};

// The floor of any frame: one vector fill and one copy of the pixels, nothing else.
void BM_Floor(benchmark::State& state) {
  std::vector<std::uint32_t> pixels(kSide * kSide), out(kSide * kSide);
  for (auto _ : state) {
    std::wmemset(reinterpret_cast<wchar_t*>(pixels.data()), 0, pixels.size());
    std::memcpy(out.data(), pixels.data(), out.size() * sizeof(std::uint32_t));
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Floor);

void SetValues(WindDial& dial) {
  dial.StepCourse(30);
  dial.StepWind(120);
  dial.StepSpeed(25);
}

void BM_Frame(benchmark::State& state) {
  WindDial dial;
  SetValues(dial);
  Buffer buffer;
  dial.Paint(buffer);
  for (auto _ : state) {
    dial.DrawDial();
    dial.DrawButtons();
    dial.turtle->DrawTo(buffer);
    benchmark::DoNotOptimize(buffer.out.data());
  }
}
BENCHMARK(BM_Frame);

// The first paint after start-up: no face loaded, no glyph rendered.
void BM_FrameCold(benchmark::State& state) {
  Buffer buffer;
  for (auto _ : state) {
    state.PauseTiming();
    ResetTextCache();
    state.ResumeTiming();
    WindDial dial;
    SetValues(dial);
    dial.Paint(buffer);
    benchmark::DoNotOptimize(buffer.out.data());
  }
}
BENCHMARK(BM_FrameCold)->Unit(benchmark::kMicrosecond);

// 36 Page Down presses, each repainted before the next, as the event loop runs them.
void BM_KeyRepeat(benchmark::State& state) {
  TKWind dial(nullptr);
  dial.show();
  QApplication::processEvents();
  dial.repaint();
  if (dial.turtle->bitmap->Width() != kSide) state.SkipWithError("the dial is not being painted");
  for (auto _ : state) {
    for (int i = 0; i < 36; ++i) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier, QString(), true);
      QApplication::sendEvent(&dial, &press);
      dial.repaint();
    }
  }
  benchmark::DoNotOptimize(dial.course());
}
BENCHMARK(BM_KeyRepeat)->Unit(benchmark::kMicrosecond);

// The process's peak resident memory so far, in MB.
double PeakResidentMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Every height from 1 to 2048 pixels drawing one "W": a font and a glyph of its own each.
void BM_EveryHeight(benchmark::State& state) {
  TKG turtle;
  turtle.SetSize(kSide, kSide);
  for (auto _ : state) {
    state.PauseTiming();
    ResetTextCache();
    state.ResumeTiming();
    for (int height = 1; height <= 2048; ++height) {
      turtle.SetFont("Arial", height);
      turtle.Text("W", kTextUpright);
    }
  }
  state.counters["peak_MB"] = PeakResidentMb();
}
BENCHMARK(BM_EveryHeight)->Unit(benchmark::kMillisecond)->Iterations(1);

// One text of 100,000 characters at height 2048, turned 30 degrees, from the middle of the
// bitmap: all but its first glyphs lie far outside it.
void BM_LongTurnedText(benchmark::State& state) {
  TKG turtle;
  turtle.SetSize(kSide, kSide);
  turtle.SetFont("Arial", 2048);
  std::string text;
  for (int i = 0; i < 100000; ++i) text += static_cast<char>('A' + i % 26);
  for (auto _ : state) {
    state.PauseTiming();
    ResetTextCache();
    turtle.SetPos(kSide / 2, kSide / 2);
    turtle.SetHeading(30);
    state.ResumeTiming();
    turtle.Text(text, kTextRotated);
  }
  state.counters["peak_MB"] = PeakResidentMb();
}
BENCHMARK(BM_LongTurnedText)->Unit(benchmark::kMillisecond);

// One repaint of the widget at device pixel ratio range(0), rendered offscreen into an image of
// that ratio the way a backing store of a high-resolution screen is painted.
void BM_RepaintScaled(benchmark::State& state) {
  const int ratio = static_cast<int>(state.range(0));
  TKWind dial(nullptr);
  QImage image(kSide * ratio, kSide * ratio, QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  dial.render(&image);
  for (auto _ : state) {
    dial.render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_RepaintScaled)->Arg(1)->Arg(2)->Arg(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
