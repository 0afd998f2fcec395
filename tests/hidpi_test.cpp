// The dial on screens with more device pixels than logical ones. The ratio comes from
// QT_SCALE_FACTOR, which must be set before the application starts: CTest runs this program once
// per ratio. Whole ratios must copy each dial pixel to a square block; others must smooth. At a
// ratio so high that the screen cannot hold the dial, the form must not ask for more than it can.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "qt/QuorelApp.h"
#include "tests/FormFixture.h"
#include "tests/Pixels.h"

namespace {

class HiDpiTest : public FormTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(FormTest::SetUp());
    Set(dial, {30, 120, 25});
    ratio = form->devicePixelRatioF();
    // Painting the grab leaves the same picture in the dial's bitmap.
    shot = form->grab().toImage().convertToFormat(QImage::Format_RGB32);
    dial->turtle->DrawTo(picture);
    // An image, as a window's backing store is, takes another way from a pixmap; only the part
    // asked for is painted, the rest keeps its red.
    rendered = QImage(shot.size(), QImage::Format_RGB32);
    rendered.setDevicePixelRatio(ratio);
    rendered.fill(Qt::red);
    form->render(&rendered, part.topLeft(), QRegion(part));
  }

  // The dial's pixel (x, y) as the rendered part shows it.
  QRgb RenderedAt(int x, int y) const {
    return part.contains(x, y) ? picture.At(x, y) : QColor(Qt::red).rgb();
  }

  qreal ratio = 1;
  QImage shot;
  const QRect part{40, 50, 120, 90};
  QImage rendered;
  Capture picture;  // the dial's own pixels, in the window's layout
};

TEST_F(HiDpiTest, WholeRatioCopiesEachDialPixelToASquareBlock) {
  ASSERT_EQ(ratio, std::floor(ratio)) << "QT_SCALE_FACTOR gave " << ratio;
  ASSERT_GE(ratio, 2);
  const int n = static_cast<int>(ratio);
  const int side = WindDial::kSize;
  ASSERT_EQ(shot.size(), QSize(side * n, side * n));
  auto expectBlocks = [n](const QImage& image, auto want) {
    int wrong = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) == want(x / n, y / n)) continue;
        if (wrong++ == 0) {
          ADD_FAILURE() << "device pixel " << x << "," << y << " is " << std::hex
                        << image.pixel(x, y) << ", want " << want(x / n, y / n);
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  };
  expectBlocks(shot, [this](int x, int y) { return picture.At(x, y); });
  expectBlocks(rendered, [this](int x, int y) { return RenderedAt(x, y); });
}

// Nearest-neighbour scaling takes every device pixel from one of the dial pixels around it;
// smoothing blends the edges of the ring, the card's ticks and the bar into shades none of them
// has.
TEST_F(HiDpiTest, FractionalRatioIsSmoothed) {
  ASSERT_NE(ratio, std::floor(ratio)) << "QT_SCALE_FACTOR gave " << ratio;
  const int side = WindDial::kSize;
  const int deviceSide = static_cast<int>(std::ceil(side * ratio));
  ASSERT_EQ(shot.size(), QSize(deviceSide, deviceSide));
  int blended = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      const int sx = static_cast<int>(x / ratio), sy = static_cast<int>(y / ratio);
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy) {
        for (int dx = -1; dx <= 1 && !found; ++dx) {
          const int px = std::clamp(sx + dx, 0, side - 1), py = std::clamp(sy + dy, 0, side - 1);
          found = picture.At(px, py) == shot.pixel(x, y);
        }
      }
      blended += !found;
    }
  }
  EXPECT_GT(blended, 1000);
}

TEST(SmallScreen, TheFormAsksForNoMoreThanTheScreenHolds) {
  const auto form = ShowForm();
  const QSize room = form->screen()->availableGeometry().size();
  ASSERT_LT(room.height(), WindDial::kSize);
  EXPECT_LE(form->width(), room.width());
  EXPECT_LE(form->height(), room.height());
  form->resize(room / 2);
  Pump();
  EXPECT_EQ(form->size(), room / 2);
  EXPECT_EQ(form->dial->size(), QSize(WindDial::kSize, WindDial::kSize));
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (!qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) qputenv("QT_SCALE_FACTOR", "2");
  TQuorelApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
