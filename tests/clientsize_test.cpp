#include "app/ClientSize.h"

#include <gtest/gtest.h>

#include "dial/WindDial.h"

namespace {

constexpr Extent kDial{WindDial::kSize, WindDial::kSize};

TEST(ClientSize, SnapsOnlyANormalWindowThatIsNotTheDialsSize) {
  for (Extent client : {Extent{500, 400}, Extent{100, 100},
                        Extent{WindDial::kSize, WindDial::kSize + 1}, Extent{0, 0}}) {
    EXPECT_EQ(SnapBackClientSize(WindowShow::Normal, client), kDial);
  }
  EXPECT_EQ(SnapBackClientSize(WindowShow::Normal, kDial), std::nullopt);
  for (WindowShow show : {WindowShow::Maximised, WindowShow::Minimised, WindowShow::FullScreen}) {
    EXPECT_EQ(SnapBackClientSize(show, {1024, 740}), std::nullopt);
  }
}

}  // namespace
