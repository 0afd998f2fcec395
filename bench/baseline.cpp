// The yardstick for start-up: a bare Qt program with one 300 x 300 window painted black.
#include <QApplication>
#include <QPainter>
#include <QWidget>

namespace {

class Black : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::black); }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Black window;
  window.resize(300, 300);
  window.show();
  return app.exec();
}
