// The dial as the program draws it against pictures recorded from the same code in tests/golden;
// `make golden` records them again after a deliberate change to the drawing.
//
// Text is the one part that another rasteriser draws differently: this build draws it with
// FreeType, a Windows build with GDI. So inside each text cell, widened a little, only the
// amount of ink is compared, within a tolerance; every other pixel must match exactly, on every
// platform. Where the text lands is held exactly by the dial's own tests.
//
//   golden_test --record    writes the pictures instead of comparing them
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "dial/DialFace.h"
#include "dial/WindDial.h"
#include "tests/Pixels.h"
#include "tests/Png.h"

namespace {

struct DialState {
  int course, wind, speed;
};

// Start-up; a turned card with a slanted bar; the longest bar, reaching down into the readout;
// course and wind either side of north.
constexpr DialState kStates[] = {{360, 360, 0}, {90, 30, 25}, {360, 180, 40}, {10, 350, 1}};

std::string Name(const DialState& s) {
  char name[32];
  std::snprintf(name, sizeof name, "dial_%03d_%03d_%02d", s.course, s.wind, s.speed);
  return name;
}

void PrintTo(const DialState& s, std::ostream* os) {
  *os << Name(s);
}

std::string GoldenPath(const DialState& s) {
  return QUOREL_GOLDEN_DIR "/" + Name(s) + ".png";
}

Capture Render(const DialState& s) {
  WindDial dial;
  dial.StepCourse(s.course);
  dial.StepWind(s.wind);
  dial.StepSpeed(s.speed);
  Capture picture;
  dial.Paint(picture);
  return picture;
}

// A text's character cell turned with the text: its centre, the direction the text reads in, and
// half its size along and across that direction.
struct Cell {
  double x, y, ux, uy, halfWidth, halfHeight;
  double slack = 2;  // the text's origin is rounded, and edges are anti-aliased
  bool Contains(int px, int py) const {
    const double dx = px + 0.5 - x, dy = py + 0.5 - y;
    return std::abs(dx * ux + dy * uy) <= halfWidth + slack &&
           std::abs(dy * ux - dx * uy) <= halfHeight + slack;
  }
};

Cell CentredCell(const std::string& text, int height, double x, double y, double degrees) {
  const double r = degrees * kRadiansPerDegree;
  const double halfWidth = MeasureText({"Arial", height, 400, 0}, text).width / 2.0;
  return {x, y, std::cos(r), std::sin(r), halfWidth, height / 2.0};
}

// Where the face and the buttons put their texts: label k centred 118 pixels out at screen
// direction 10k - course, the readout upright with its top-left at (cx - 26, cy + 64), and each
// button's letter inside its outlined button.
std::vector<Cell> TextCells(const DialState& s) {
  constexpr double kCentre = WindDial::kSize / 2;
  std::vector<Cell> cells;
  for (int k = 0; k < 36; ++k) {
    const std::string& label = compassLabels()[k];
    if (label.empty()) continue;
    const double direction = 10.0 * k - s.course, r = direction * kRadiansPerDegree;
    cells.push_back(CentredCell(label, 20, kCentre + 118 * std::sin(r), kCentre - 118 * std::cos(r),
                                direction));
  }
  char readout[16];
  std::snprintf(readout, sizeof readout, "%03d  %02d", s.wind, s.speed);
  Cell upright = CentredCell(readout, 20, 0, 0, 0);
  upright.x = kCentre - 26 + upright.halfWidth;
  upright.y = kCentre + 64 + upright.halfHeight;
  cells.push_back(upright);
  // A letter is as tall as its button, so its cell is the button's inside: the frame is held
  // exactly, and the letter's ink, in the frame's own grey, cannot change it.
  for (auto [x, y] : {std::pair{255, 10}, {10, 270}, {255, 270}})
    cells.push_back({x + 7.5, y + 7.5, 1, 0, 6.5, 6.5, 0});
  return cells;
}

// White is one pixel's worth of ink, black none.
double Ink(std::uint32_t p) {
  return ((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF)) / 765.0;
}

// Room for another rasteriser's shapes and anti-aliasing; a missing letter, a stray stroke or
// text in the wrong ink is still far outside it.
bool InkMatches(double got, double want) {
  return std::abs(got - want) <= 0.15 * want + 1;
}

class Golden : public testing::TestWithParam<DialState> {};

TEST_P(Golden, DialMatchesItsRecordedPicture) {
  const DialState& s = GetParam();
  Capture want;
  ASSERT_TRUE(ReadPng(GoldenPath(s), want))
      << "cannot read " << GoldenPath(s) << "; `make golden` records it";
  const Capture got = Render(s);
  ASSERT_EQ(got.width, want.width);
  ASSERT_EQ(got.height, want.height);

  const std::vector<Cell> cells = TextCells(s);
  std::vector<int> cellOf(got.pixels.size(), -1);
  std::vector<double> inkGot(cells.size()), inkWant(cells.size());
  for (int y = 0; y < got.height; ++y)
    for (int x = 0; x < got.width; ++x)
      for (std::size_t c = 0; c < cells.size(); ++c) {
        if (!cells[c].Contains(x, y)) continue;
        cellOf[y * got.width + x] = static_cast<int>(c);
        inkGot[c] += Ink(got.At(x, y));
        inkWant[c] += Ink(want.At(x, y));
        break;
      }

  std::ostringstream failures;
  failures.precision(1);
  failures << std::fixed;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    if (InkMatches(inkGot[c], inkWant[c])) continue;
    failures << "text cell at " << cells[c].x << "," << cells[c].y << " holds " << inkGot[c]
             << " pixels of ink, the recorded picture " << inkWant[c] << "\n";
  }
  // The difference picture shows the recorded one dimmed, red where the pictures differ beyond
  // what is allowed and yellow where text pixels differ within the tolerance.
  Capture diff = want;
  int outside = 0, first = -1;
  for (std::size_t i = 0; i < got.pixels.size(); ++i) {
    const bool differs = got.pixels[i] != want.pixels[i];
    const int c = cellOf[i];
    if (differs && c < 0 && outside++ == 0) first = static_cast<int>(i);
    if (!differs) {
      diff.pixels[i] = 0xFF000000u | (want.pixels[i] >> 2 & 0x3F3F3F);
    } else if (c < 0 || !InkMatches(inkGot[c], inkWant[c])) {
      diff.pixels[i] = 0xFFFF0000u;
    } else {
      diff.pixels[i] = 0xFFFFFF00u;
    }
  }
  if (outside > 0) {
    failures << outside << " pixels differ outside the text cells, the first at "
             << first % got.width << "," << first / got.width << std::hex << ": 0x"
             << got.pixels[first] << ", recorded 0x" << want.pixels[first] << std::dec << "\n";
  }
  if (failures.str().empty()) return;

  const std::filesystem::path actual = std::filesystem::absolute(Name(s) + "_actual.png");
  const std::filesystem::path difference = std::filesystem::absolute(Name(s) + "_diff.png");
  WritePng(actual.string(), got);
  WritePng(difference.string(), diff);
  ADD_FAILURE() << Name(s) << " differs from " << GoldenPath(s) << ":\n"
                << failures.str() << "drawn now: " << actual.string()
                << "\ndifference (red beyond tolerance): " << difference.string()
                << "\n`make golden` records the pictures again if the change is meant.";
}

INSTANTIATE_TEST_SUITE_P(States, Golden, testing::ValuesIn(kStates),
                         [](const auto& info) { return Name(info.param); });

// Every state the dial can show, 36 courses by 36 wind directions by 41 speeds, drawn in turn and
// folded into two hashes per course (64-bit FNV-1a over the pixel words): one of every pixel and
// one of the pixels outside the text cells above. The pictures leave text room for another
// rasteriser; these hold every pixel of every state, so that the ARM builds, with the same
// FreeType and fonts from Debian, draw exactly what the x86-64 build drew when the hashes were
// recorded. Only where long has 32 bits (armhf) is the text left to the pictures' tolerance:
// FreeType's rasteriser divides approximately in long, and there a few edge pixels of a glyph come
// out one level of grey off. One test per course, so that CTest spreads them over the processors
// and a difference names its course.
constexpr std::uint64_t kHashBasis = 0xcbf29ce484222325u;

std::uint64_t Fold(std::uint64_t hash, std::uint32_t pixel) {
  return (hash ^ pixel) * 0x100000001b3u;
}

struct HashingTarget : CopyTarget {
  void CopyPixels(const std::uint32_t* pixels, int width, int height) override {
    MarkText(width, height);
    for (std::size_t i = 0; i < text.size(); ++i) {
      every = Fold(every, pixels[i]);
      outsideText = Fold(outsideText, text[i] ? 0 : pixels[i]);
    }
  }
  // The pixels of the state's text cells; the cells of the last state, mostly the same, are kept.
  void MarkText(int width, int height) {
    std::vector<Cell> now = TextCells(state);
    const auto same = [](const Cell& a, const Cell& b) {
      return a.x == b.x && a.y == b.y && a.ux == b.ux && a.uy == b.uy &&
             a.halfWidth == b.halfWidth && a.halfHeight == b.halfHeight && a.slack == b.slack;
    };
    if (text.size() == static_cast<std::size_t>(width) * height &&
        std::equal(now.begin(), now.end(), cells.begin(), cells.end(), same)) {
      return;
    }
    cells = std::move(now);
    text.assign(static_cast<std::size_t>(width) * height, 0);
    for (const Cell& cell : cells) {
      const double r = std::hypot(cell.halfWidth + cell.slack, cell.halfHeight + cell.slack) + 1;
      for (int y = std::max(0, static_cast<int>(cell.y - r)); y < height && y <= cell.y + r; ++y)
        for (int x = std::max(0, static_cast<int>(cell.x - r)); x < width && x <= cell.x + r; ++x)
          if (cell.Contains(x, y)) text[static_cast<std::size_t>(y) * width + x] = 1;
    }
  }
  DialState state{};
  std::vector<Cell> cells;
  std::vector<std::uint8_t> text;
  std::uint64_t every = kHashBasis, outsideText = kHashBasis;
};

constexpr const char* kEveryStatePath = QUOREL_GOLDEN_DIR "/every_state.hash";
constexpr const DialValueRule& kCourse = RuleOf(DialValue::Course);
// Where FreeType's rasteriser draws as on x86-64.
constexpr bool kTextAsRecorded = sizeof(long) == 8;

// "course every-pixel-hash outside-text-hash", as every_state.hash holds it.
std::string CourseHashes(int course) {
  WindDial dial;
  HashingTarget target;
  const DialValueRule &wind = RuleOf(DialValue::WindDirection),
                      &speed = RuleOf(DialValue::WindSpeed);
  dial.Set(DialValue::Course, course);
  for (int w = wind.minimum; w <= wind.maximum; w += wind.step)
    for (int s = speed.minimum; s <= speed.maximum; s += speed.step) {
      dial.Set(DialValue::WindDirection, w);
      dial.Set(DialValue::WindSpeed, s);
      target.state = {course, w, s};
      dial.Paint(target);
    }
  char line[48];
  std::snprintf(line, sizeof line, "%03d %016llx %016llx", course,
                static_cast<unsigned long long>(target.every),
                static_cast<unsigned long long>(target.outsideText));
  return line;
}

class EveryState : public testing::TestWithParam<int> {};

TEST_P(EveryState, DrawsThePixelsRecorded) {
#ifdef _WIN32
  GTEST_SKIP() << "GDI draws the text here, not FreeType: the pictures above hold this build";
#endif
  const int course = GetParam();
  std::ifstream file(kEveryStatePath);
  ASSERT_TRUE(file) << "cannot read " << kEveryStatePath << "; `make golden` records it";
  std::string wantLine;
  for (std::string line; std::getline(file, line);)
    if (std::atoi(line.c_str()) == course) wantLine = line;
  std::istringstream got(CourseHashes(course)), want(wantLine);
  std::string gotEvery, gotOutside, wantEvery, wantOutside;
  got.ignore(4) >> gotEvery >> gotOutside;
  want.ignore(4) >> wantEvery >> wantOutside;
  std::printf("course %03d: every pixel %s (recorded %s), outside the text %s (recorded %s)\n",
              course, gotEvery.c_str(), wantEvery.c_str(), gotOutside.c_str(), wantOutside.c_str());
  const char* how =
      "; after a deliberate change to the drawing, or another FreeType or fonts, "
      "`make golden` records them again";
  EXPECT_EQ(gotOutside, wantOutside)
      << "outside the text the dial draws other pixels than recorded in " << kEveryStatePath << how;
  if (kTextAsRecorded) {
    EXPECT_EQ(gotEvery, wantEvery)
        << "the dial draws other pixels than recorded in " << kEveryStatePath << how;
  } else {
    std::printf(
        "the text is held by the pictures' tolerance: FreeType's rasteriser rounds "
        "otherwise where long has 32 bits\n");
  }
}

INSTANTIATE_TEST_SUITE_P(Course, EveryState,
                         testing::Range(kCourse.minimum, kCourse.maximum + 1, kCourse.step),
                         [](const auto& info) {
                           char name[16];
                           std::snprintf(name, sizeof name, "course_%03d", info.param);
                           return std::string(name);
                         });

int Record() {
  for (const DialState& s : kStates) {
    if (!WritePng(GoldenPath(s), Render(s))) {
      std::fprintf(stderr, "cannot write %s\n", GoldenPath(s).c_str());
      return 1;
    }
    std::printf("recorded %s\n", GoldenPath(s).c_str());
  }
#ifndef _WIN32
  std::ofstream file(kEveryStatePath);
  for (int course = kCourse.minimum; course <= kCourse.maximum; course += kCourse.step)
    file << CourseHashes(course) << "\n";
  if (!file.flush()) {
    std::fprintf(stderr, "cannot write %s\n", kEveryStatePath);
    return 1;
  }
  std::printf("recorded %s\n", kEveryStatePath);
#endif
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc == 2 && std::string(argv[1]) == "--record") return Record();
  return RUN_ALL_TESTS();
}
