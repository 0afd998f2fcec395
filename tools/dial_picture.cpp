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
    dial.StepCourse(std::atoi(argv[2]));
    dial.StepWind(std::atoi(argv[3]));
    dial.StepSpeed(std::atoi(argv[4]));
  }
  struct : CopyTarget {
    void CopyPixels(const std::uint32_t* pixels, int width, int height) override {
      image = QImage(reinterpret_cast<const uchar*>(pixels), width, height,
                     static_cast<qsizetype>(width) * 4, QImage::Format_RGB32)
                  .copy();
    }
    QImage image;
  } target;
  dial.Paint(target);
  const QImage& image = target.image;
  if (!image.save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
