#include "app/ClientSize.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>

#include "dial/WindDial.h"

namespace {

// Work areas and frames come from the window system, so no value of theirs may overflow.
int Minus(int whole, int part) {
  const long long rest = static_cast<long long>(whole) - part;
  return static_cast<int>(std::clamp<long long>(rest, INT_MIN, INT_MAX));
}

Extent ClientRoom(const ScreenRoom& room) {
  return {Minus(room.workArea.width, room.frame.width),
          Minus(room.workArea.height, room.frame.height)};
}

// Whether the client area can be the dial's size there. When it cannot, says so on stderr, but
// once a run: every resize asks again.
bool HoldsTheDial(const ScreenRoom& room) {
  const Extent client = ClientRoom(room);
  if (client.width >= WindDial::kSize && client.height >= WindDial::kSize) return true;
  static std::atomic_flag said;
  if (!said.test_and_set()) {
    std::fprintf(stderr,
                 "quorel: the screen (%d x %d) cannot show the %d x %d dial whole; the window "
                 "keeps the size the system gives it\n",
                 room.workArea.width, room.workArea.height, WindDial::kSize, WindDial::kSize);
  }
  return false;
}

}  // namespace

Extent InitialClientSize(const ScreenRoom& room) {
  HoldsTheDial(room);
  const Extent client = ClientRoom(room);
  return {std::clamp(client.width, 1, WindDial::kSize),
          std::clamp(client.height, 1, WindDial::kSize)};
}

std::optional<Extent> SnapBackClientSize(WindowShow show, Extent client, const ScreenRoom& room) {
  if (!HoldsTheDial(room) || show != WindowShow::Normal) return std::nullopt;
  const Extent dial{WindDial::kSize, WindDial::kSize};
  if (client == dial) return std::nullopt;
  return dial;
}
