#include "app/ClientSize.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "dial/WindDial.h"

namespace {

constexpr int kSide = WindDial::kSize;
constexpr Extent kDial{kSide, kSide};
constexpr Extent kFrame{8, 30};

TEST(ClientSize, SnapsOnlyANormalWindowThatIsNotTheDialsSize) {
  // The second work area is just the dial and the frame.
  for (ScreenRoom room :
       {ScreenRoom{{1024, 740}, kFrame}, ScreenRoom{{kSide + 8, kSide + 30}, kFrame},
        ScreenRoom{{INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}}}) {
    EXPECT_EQ(InitialClientSize(room), kDial);
    for (Extent client : {Extent{500, 400}, Extent{100, 100}, Extent{kSide, kSide + 1}}) {
      EXPECT_EQ(SnapBackClientSize(WindowShow::Normal, client, room), kDial);
    }
    EXPECT_EQ(SnapBackClientSize(WindowShow::Normal, kDial, room), std::nullopt);
    for (WindowShow show : {WindowShow::Maximised, WindowShow::Minimised, WindowShow::FullScreen}) {
      EXPECT_EQ(SnapBackClientSize(show, {1024, 740}, room), std::nullopt);
    }
  }
}

// The one test with rooms too small: the line is said once a run.
TEST(ClientSize, OnAScreenTooSmallAsksForNoMoreThanItHoldsAndSaysSoOnce) {
  testing::internal::CaptureStderr();
  const ScreenRoom narrow{{kSide + 7, 2000}, kFrame};
  EXPECT_EQ(InitialClientSize(narrow), (Extent{kSide - 1, kSide}));
  EXPECT_EQ(InitialClientSize({{1, 0}, kFrame}), (Extent{1, 1}));
  EXPECT_EQ(InitialClientSize({{INT_MIN, 0}, {INT_MAX, 0}}), (Extent{1, 1}));
  for (Extent client : {Extent{500, 400}, Extent{1, 1}, kDial}) {
    EXPECT_EQ(SnapBackClientSize(WindowShow::Normal, client, narrow), std::nullopt);
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "quorel: the screen (" + std::to_string(kSide + 7) + " x 2000) cannot show the " +
                std::to_string(kSide) + " x " + std::to_string(kSide) +
                " dial whole; the window keeps the size the system gives it\n");
}

}  // namespace
