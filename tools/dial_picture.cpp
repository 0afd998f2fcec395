// Writes the dial as the program draws it to a PNG file, for the README:
//   dial_picture OUT.png [course wind speed]
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "dial/WindDial.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 5) {
    std::fprintf(stderr, "usage: %s OUT.png [course wind speed]\n", argv[0]);
    return 2;
  }
  WindDial dial;
  if (argc == 5) {
    dial.course = WrapDegrees(std::atoi(argv[2]));
    dial.windDirection = WrapDegrees(std::atoi(argv[3]));
    dial.windSpeed = std::atoi(argv[4]) < 0               ? 0
                     : std::atoi(argv[4]) > kMaxWindSpeed ? kMaxWindSpeed
                                                          : std::atoi(argv[4]);
  }
  QImage image(WindDial::kSize, WindDial::kSize, QImage::Format_RGB32);
  dial.Paint({reinterpret_cast<std::uint32_t*>(image.bits()), image.width(), image.height(),
              static_cast<int>(image.bytesPerLine() / 4), PixelOrder::Xrgb});
  if (!image.save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
