// The yardstick for start-up: a bare Qt program with one 300 x 300 window painted black.
#include <QPainter>

#include "bench/FirstFrame.h"
#include "dial/WindDial.h"

namespace {

class Black : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::black); }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Black window;
  window.resize(WindDial::kSize, WindDial::kSize);
  FirstFrameProbe probe(&window);
  window.show();
  return app.exec();
}
