// libFuzzer target for the dial without a window toolkit: key codes, presses anywhere, steps,
// value sets through the rules every caller shares (screen readers' included), stray button
// drawing and paints. After every call the values must lie in their ranges, each change must have
// been announced once and asked for a repaint, and a paint must equal what a fresh dial paints
// for the same values.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dial/WindDial.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/RenewTurtle.h"

namespace {

constexpr int kMaxCalls = 256;
// Each checked paint draws two whole frames, so an input paints only this many times.
constexpr int kMaxPaints = 3;
constexpr int kMaxClientSide = 600;
constexpr std::size_t kMaxLabelBytes = 16;

class FuzzDial final : public WindDial {
 public:
  int invalidations = 0;
  std::array<int, kDialValueCount> changes{};
  int width = kSize;
  int height = kSize;

 protected:
  void Invalidate() override { ++invalidations; }
  void ValueChanged(DialValue which) override { ++changes[static_cast<int>(which)]; }
  int ClientWidth() const override { return width; }
  int ClientHeight() const override { return height; }
};

struct Frame final : CopyTarget {
  void CopyPixels(const std::uint32_t* p, int w, int h) override {
    width = w;
    height = h;
    pixels.assign(p, p + static_cast<std::size_t>(w) * h);
  }
  bool Same(const Frame& o) const {
    return width == o.width && height == o.height && pixels == o.pixels;
  }
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

constexpr int kKeys[] = {kKeyPageUp, kKeyPageDown, kKeyEnd, kKeyHome};

DialValue Which(Reader& in) {
  return static_cast<DialValue>(in.Byte() % kDialValueCount);
}

// Mostly a pixel of the dial, where the buttons are; now and then any int.
int Coordinate(Reader& in) {
  if (in.Byte() % 8 == 0) return in.Int();
  return in.Raw<std::uint16_t>() % (WindDial::kSize + 8) - 4;
}

// Where keys and buttons could put the value: a whole step within the range.
bool OnStep(DialValue which, int v) {
  const DialValueRule& rule = RuleOf(which);
  return v >= rule.minimum && v <= rule.maximum && (v - rule.minimum) % rule.step == 0;
}

bool InRange(DialValue which, int v) {
  const DialValueRule& rule = RuleOf(which);
  return rule.bound == Bound::Wrap ? v >= 1 && v <= 360 : v >= rule.minimum && v <= rule.maximum;
}

// What a fresh dial paints for the dial's size and values. A paint costs most of an input's
// time, so each is kept in one of a few dozen slots, found by its key; once the slots have their
// pixels, keeping a paint allocates nothing that the fuzzer could take for a leak.
const Frame& FreshPaint(const FuzzDial& dial) {
  struct Slot {
    std::array<int, 5> key{};
    bool painted = false;
    Frame frame;
  };
  static std::array<Slot, 128> slots;
  const std::array<int, 5> key = {dial.width, dial.height, dial.course(), dial.windDirection(),
                                  dial.windSpeed()};
  std::size_t hash = 0;
  for (int k : key) hash = hash * 31 + static_cast<unsigned>(k);
  Slot& slot = slots[hash % slots.size()];
  if (slot.painted && slot.key == key) return slot.frame;
  FuzzDial fresh;
  fresh.width = dial.width;
  fresh.height = dial.height;
  for (const DialValueRule& rule : kDialValues) {
    fresh.Set(rule.value, dial.Value(rule.value));
    Check(fresh.Value(rule.value) == dial.Value(rule.value));
  }
  slot.key = key;
  slot.painted = true;
  slot.frame.width = slot.frame.height = 0;
  slot.frame.pixels.clear();
  fresh.Paint(slot.frame);
  return slot.frame;
}

void CheckedPaint(FuzzDial& dial) {
  static Frame got;  // kept, so that its pixels need no fresh pages
  got.width = got.height = 0;
  got.pixels.clear();
  dial.Paint(got);
  Check(got.Same(FreshPaint(dial)));
}

class Session {
 public:
  // The dial serves the whole run and starts each input as a new one, but for its bitmap's size:
  // every paint sizes and clears the bitmap first.
  Session(FuzzDial& dial, Reader& in) : in_(in), dial_(dial) {
    RenewTurtle(*dial_.turtle, true);
    for (const DialValueRule& rule : kDialValues) {
      dial_.Set(rule.value, rule.initial);
      onStep_[static_cast<int>(rule.value)] = true;
    }
    dial_.width = dial_.height = WindDial::kSize;
    dial_.invalidations = 0;
    dial_.changes = {};
  }

  void Step() {
    const std::array<int, kDialValueCount> before = Values(), changesBefore = dial_.changes;
    const int invalidationsBefore = dial_.invalidations;
    bool repaints = true;  // whether the call must ask for a repaint
    bool setsAnyValue = false;
    switch (in_.Byte() % 10) {
      case 0:
      case 1: {
        const int key = in_.Byte() % 2 ? kKeys[in_.Byte() % 4] : in_.Int();
        dial_.KeyDown(key);
        repaints = false;
        for (int k : kKeys) repaints = repaints || key == k;
        break;
      }
      case 2:
      case 3: {
        const int x = Coordinate(in_);
        dial_.MouseDown(x, Coordinate(in_));
        break;
      }
      case 4: {
        const DialValue which = Which(in_);
        const int direction = in_.Byte() % 4 == 0 ? in_.Int() : (in_.Byte() % 2 ? 1 : -1);
        dial_.Step(which, direction);
        break;
      }
      case 5: {
        const DialValue which = Which(in_);
        const int v = in_.Int();
        if (which == DialValue::Course) dial_.StepCourse(v);
        if (which == DialValue::WindDirection) dial_.StepWind(v);
        if (which == DialValue::WindSpeed) dial_.StepSpeed(v);
        onStep_[static_cast<int>(which)] = OnStep(which, dial_.Value(which));
        setsAnyValue = true;
        break;
      }
      case 6: {
        // As a screen reader sets a value: any number, brought to the nearest allowed one.
        const DialValue which = Which(in_);
        dial_.Set(which, NearestAllowed(which, in_.Double(), dial_.Value(which)));
        break;
      }
      case 7: {
        const int x = in_.Int(), y = in_.Int(), w = in_.Int(), h = in_.Int(), style = in_.Int();
        dial_.DrawButton(x, y, w, h, style, in_.Bytes(kMaxLabelBytes));
        repaints = false;
        break;
      }
      case 8:
        if (in_.Byte() % 4 == 0) {
          dial_.width = in_.Int() % (kMaxClientSide + 1);
          dial_.height = in_.Int() % (kMaxClientSide + 1);
        }
        repaints = false;
        break;
      default:
        if (paints_++ < kMaxPaints) CheckedPaint(dial_);
        repaints = false;
        break;
    }

    for (const DialValueRule& rule : kDialValues) {
      const int i = static_cast<int>(rule.value);
      const int v = dial_.Value(rule.value);
      Check(InRange(rule.value, v));
      if (!setsAnyValue && onStep_[i]) Check(OnStep(rule.value, v));
      const int announced = dial_.changes[i] - changesBefore[i];
      Check(announced == (v != before[i] ? 1 : 0));
      if (v != before[i]) Check(dial_.invalidations > invalidationsBefore);
    }
    if (repaints) Check(dial_.invalidations > invalidationsBefore);
  }

 private:
  std::array<int, kDialValueCount> Values() const {
    return {dial_.course(), dial_.windDirection(), dial_.windSpeed()};
  }

  Reader& in_;
  FuzzDial& dial_;
  std::array<bool, kDialValueCount> onStep_{};
  int paints_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzDial dial;
  Reader in(data, size);
  Session session(dial, in);
  for (int calls = 0; calls < kMaxCalls && !in.AtEnd(); ++calls) session.Step();
  return 0;
}
