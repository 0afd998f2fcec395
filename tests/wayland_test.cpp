// The window on a Wayland compositor, run by wayland_test.sh under a headless weston: Qt's own
// Wayland plugin carries it, the compositor shows what the dial paints, a Page Down turns the
// course and Exit, chosen in the menu with the keys, ends the event loop with 0. A headless weston
// has no keyboard or mouse, so the input is given to the window as the plugin would give it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <cstring>

#include "tests/FormFixture.h"

namespace {

bool Contains(const QImage& screen, const QImage& part) {
  const auto row = static_cast<std::size_t>(part.width()) * 4;
  for (int y = 0; y + part.height() <= screen.height(); ++y) {
    for (int x = 0; x + part.width() <= screen.width(); ++x) {
      int same = 0;
      while (same < part.height() && std::memcmp(screen.constScanLine(y + same) + x * 4,
                                                 part.constScanLine(same), row) == 0) {
        ++same;
      }
      if (same == part.height()) return true;
    }
  }
  return false;
}

// Whether the compositor's output has the dial's picture pixel for pixel, as weston-screenshooter
// reads it back (weston answers it when run with --debug). The latest frame may still be on its
// way to the compositor, so it is asked again for a while. The screenshooter is started through
// the shell rather than QProcess: Qt starts a process with clone(CLONE_PIDFD), which qemu-user,
// where the arm64 build's tests run, refuses; the C library's plain vfork it runs as a fork.
bool OnScreen(QWidget* dial) {
  const QImage picture = dial->grab().toImage().convertToFormat(QImage::Format_RGB32);
  return PumpUntil([&] {
    const QTemporaryDir dir;
    const QByteArray shoot = "cd '" + QFile::encodeName(dir.path()) +
                             "' && timeout 5 weston-screenshooter >/dev/null 2>&1";
    if (std::system(shoot.constData()) != 0) return false;
    const QStringList shots = QDir(dir.path()).entryList({QStringLiteral("*.png")});
    return shots.size() == 1 &&
           Contains(QImage(dir.filePath(shots[0])).convertToFormat(QImage::Format_RGB32), picture);
  });
}

using WaylandSession = FormTest;

TEST_F(WaylandSession, ShownByTheCompositorTurnedByPageDownAndEndedByExit) {
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
  EXPECT_TRUE(OnScreen(dial)) << "the first frame";
  TakeFocus();
  SendKey(form.get(), Qt::Key_PageDown);
  EXPECT_EQ(Of(dial), (Values{10, 360, 0}));
  EXPECT_TRUE(OnScreen(dial)) << "the frame after Page Down";

  QTimer::singleShot(0, form.get(), [this] {
    SendMouse(form.get(), QEvent::MouseButtonPress, {150, 150}, Qt::RightButton);
    QMenu* menu = form->PopupMenu;
    ASSERT_TRUE(PumpUntil([menu] { return menu->windowHandle()->isExposed(); }));
    SendKey(menu, Qt::Key_Down);
    SendKey(menu, Qt::Key_Down);
    // Return on About would open a box that waits for an answer.
    ASSERT_EQ(menu->activeAction(), form->PMenuExit);
    SendKey(menu, Qt::Key_Return);
  });
  QTimer stuck;
  stuck.setSingleShot(true);
  QObject::connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  stuck.start(10000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->dial, nullptr);
}

}  // namespace
