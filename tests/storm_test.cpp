// The main window under a long storm of random input of every kind it can get: the values stay in
// their ranges, the window keeps its size, nothing modal is left open, and the dial always shows
// exactly what a fresh dial with the same values draws. QUOREL_STORM_EVENTS scales the storm.
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>

#include "tests/FormFixture.h"
#include "tests/Pixels.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUOREL_STORM_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUOREL_STORM_ASAN 1
#endif
#endif

namespace {

int EventsOr(int fallback) {
  bool ok = false;
  const int n = qEnvironmentVariableIntValue("QUOREL_STORM_EVENTS", &ok);
  return ok && n > 0 ? n : fallback;
}

void Drain() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
}

// The offscreen platform says this for every menu that opens; thousands of lines would bury a
// failure's own message.
QtMessageHandler previousHandler = nullptr;

void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith(QLatin1String("This plugin does not support"))) return;
  previousHandler(type, context, message);
}

class Storm {
 public:
  explicit Storm(std::uint32_t seed) : rng_(seed) {
    previousHandler = qInstallMessageHandler(QuietHandler);
    form = ShowForm();
    // A box would stop the storm in its own loop; none should ever come up, but if one does it is
    // counted and closed.
    QObject::connect(&modalGuard_, &QTimer::timeout, [this] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        ++modalsSeen;
        modal->close();
      }
    });
    modalGuard_.start(20);
  }

  ~Storm() {
    form.reset();
    Drain();
    qInstallMessageHandler(previousHandler);
  }

  std::unique_ptr<TFQuorel> form;
  int menusOpened = 0;
  int modalsSeen = 0;

  void SendOne() {
    const int kind = Pick(20);
    if (kind < 9) {
      Mouse();
    } else if (kind < 16) {
      Key();
    } else if (kind < 18) {
      Resize();
    } else {
      ContextMenu();
    }
    // Left open, the menu would take the next presses and could run About or Exit.
    if (form->PopupMenu->isVisible()) {
      ++menusOpened;
      form->PopupMenu->hide();
    }
  }

  Values Now() const { return Of(form->dial); }

 private:
  int Pick(int n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }
  int Between(int lo, int hi) { return lo + Pick(hi - lo + 1); }

  Qt::KeyboardModifiers Modifiers() {
    static constexpr std::array kAll = {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier,
                                        Qt::MetaModifier, Qt::KeypadModifier};
    Qt::KeyboardModifiers m;
    for (auto one : kAll)
      if (Pick(4) == 0) m |= one;
    return m;
  }

  // Half the presses go near a step button, the rest anywhere, well outside the window too.
  QPoint Where() {
    static constexpr std::array<QPoint, 6> kButtons = {QPoint(262, 17),  QPoint(282, 17),
                                                       QPoint(17, 277),  QPoint(37, 277),
                                                       QPoint(262, 277), QPoint(282, 277)};
    if (Pick(2) == 0) return kButtons[Pick(6)] + QPoint(Between(-9, 9), Between(-9, 9));
    return {Between(-400, 700), Between(-400, 700)};
  }

  void Mouse() {
    static constexpr std::array kButtons = {Qt::LeftButton,   Qt::RightButton,   Qt::MiddleButton,
                                            Qt::BackButton,   Qt::ForwardButton, Qt::ExtraButton4,
                                            Qt::ExtraButton5, Qt::ExtraButton24};
    static constexpr std::array kTypes = {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                          QEvent::MouseButtonDblClick, QEvent::MouseMove};
    const QEvent::Type type = kTypes[Pick(kTypes.size())];
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : kButtons[Pick(8)];
    Qt::MouseButtons held(Pick(256));
    if (type == QEvent::MouseButtonRelease) held &= ~Qt::MouseButtons(button);
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) held |= button;
    SendMouse(form.get(), type, Where(), button, held, Modifiers());
  }

  void Key() {
    static constexpr std::array kSteps = {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home,
                                          Qt::Key_End};
    static constexpr std::array kOthers = {
        Qt::Key_Escape, Qt::Key_Return, Qt::Key_Space,  Qt::Key_Tab,  Qt::Key_Backtab,
        Qt::Key_A,      Qt::Key_X,      Qt::Key_Up,     Qt::Key_Left, Qt::Key_F1,
        Qt::Key_F4,     Qt::Key_Menu,   Qt::Key_Delete, Qt::Key_0,    Qt::Key_unknown};
    const int key = Pick(3) != 0 ? kSteps[Pick(4)] : kOthers[Pick(kOthers.size())];
    const Qt::KeyboardModifiers modifiers = Modifiers();
    const bool autoRepeat = Pick(3) == 0;
    SendKeyEvent(form.get(), QEvent::KeyPress, key, modifiers, autoRepeat);
    if (Pick(4) != 0) SendKeyEvent(form.get(), QEvent::KeyRelease, key, modifiers, autoRepeat);
  }

  // Through the widget, and through the window as the window system would.
  void Resize() {
    const QSize size(Between(0, 2000), Between(0, 2000));
    if (Pick(2) == 0) {
      form->resize(size);
    } else {
      form->windowHandle()->resize(size);
    }
  }

  void ContextMenu() {
    const auto reason = Pick(2) == 0 ? QContextMenuEvent::Mouse : QContextMenuEvent::Keyboard;
    QWidget* target = Pick(2) == 0 ? static_cast<QWidget*>(form->dial) : form.get();
    const QPoint at = Where();
    QContextMenuEvent event(reason, at, target->mapToGlobal(at), Modifiers());
    QCoreApplication::sendEvent(target, &event);
  }

  std::mt19937 rng_;
  QTimer modalGuard_;
};

void ExpectInRange(const Values& v) {
  EXPECT_TRUE(v.course >= 10 && v.course <= 360 && v.course % 10 == 0) << v.course;
  EXPECT_TRUE(v.wind >= 10 && v.wind <= 360 && v.wind % 10 == 0) << v.wind;
  EXPECT_TRUE(v.speed >= 0 && v.speed <= RuleOf(DialValue::WindSpeed).maximum) << v.speed;
}

// Repaints the window's dial and compares its picture, in the turtle and on the screen, with a
// fresh dial drawn from the same values.
void ExpectFreshPicture(TKWind* dial) {
  dial->repaint();
  WindDial fresh;
  Set(&fresh, Of(dial));
  Capture want, got;
  fresh.Paint(want);
  dial->turtle->DrawTo(got);
  ASSERT_EQ(got.width, WindDial::kSize);
  ASSERT_EQ(got.height, WindDial::kSize);
  // Captured pixels have the window's own layout, so they compare with the screen's directly.
  const QImage screen = dial->grab().toImage();
  ASSERT_EQ(screen.size(), QSize(WindDial::kSize, WindDial::kSize));
  for (int y = 0; y < WindDial::kSize; ++y)
    for (int x = 0; x < WindDial::kSize; ++x) {
      ASSERT_EQ(got.At(x, y), want.At(x, y)) << x << "," << y;
      ASSERT_EQ(screen.pixel(x, y), want.At(x, y)) << x << "," << y;
    }
}

// The program's memory in bytes: what is resident, from /proc. Under qemu-user (the cross builds'
// tests) /proc/self/statm is the emulator's own, its translated code with it, so there it is what
// the program holds from malloc, where every growth of ours, Qt's, FreeType's or fontconfig's
// would show.
long MemoryBytes() {
#ifdef QUOREL_EMULATED
  const struct mallinfo2 heap = mallinfo2();
  return static_cast<long>(heap.uordblks + heap.hblkhd);
#else
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * sysconf(_SC_PAGESIZE);
#endif
}

}  // namespace

TEST(EventStorm, ValuesRangesSizeAndPictureHoldThroughout) {
  constexpr int kBatch = 1000;
  const int events = EventsOr(100000);
  Storm storm(20240611);
  ASSERT_NE(storm.form->dial, nullptr);
  std::set<int> courses, winds, speeds;
  for (int sent = 0; sent < events;) {
    for (int i = 0; i < kBatch && sent < events; ++i, ++sent) {
      storm.SendOne();
      if (sent % 20 == 0) QCoreApplication::processEvents();
    }
    Drain();
    SCOPED_TRACE(testing::Message() << "after " << sent << " events");
    ASSERT_TRUE(storm.form->isVisible());
    ASSERT_NE(storm.form->dial, nullptr);
    EXPECT_EQ(storm.form->size(), QSize(WindDial::kSize, WindDial::kSize));
    EXPECT_EQ(storm.form->dial->geometry(), QRect(0, 0, WindDial::kSize, WindDial::kSize));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    const Values v = storm.Now();
    ExpectInRange(v);
    courses.insert(v.course);
    winds.insert(v.wind);
    speeds.insert(v.speed);
    ASSERT_NO_FATAL_FAILURE(ExpectFreshPicture(storm.form->dial));
  }
  std::printf("storm: %d events, %d menus opened, %zu courses, %zu wind directions, %zu speeds\n",
              events, storm.menusOpened, courses.size(), winds.size(), speeds.size());
  EXPECT_EQ(storm.modalsSeen, 0);
  // A storm that seldom reached the buttons, the keys or the menu would prove little.
  EXPECT_GT(storm.menusOpened, 0);
  if (events >= 100000) {
    EXPECT_GE(courses.size(), 10u);
    EXPECT_GE(winds.size(), 10u);
    EXPECT_GE(speeds.size(), 5u);
  }
}

// `make leakcheck` runs this one under valgrind: the whole life of the window.
TEST(EventStorm, SessionWithAPaintAfterEveryEventClosesThroughExit) {
  const int events = EventsOr(1000);
  Storm storm(7);
  QPointer<TKWind> dial = storm.form->dial;
  for (int sent = 0; sent < events; ++sent) {
    storm.SendOne();
    QCoreApplication::processEvents();
    ASSERT_FALSE(dial.isNull());
    dial->repaint();
  }
  ExpectInRange(storm.Now());
  storm.form->PMenuExit->trigger();
  Drain();
  EXPECT_FALSE(storm.form->isVisible());
  EXPECT_TRUE(dial.isNull());
  EXPECT_EQ(storm.modalsSeen, 0);
}

TEST(EventStorm, RepaintsDoNotGrowResidentMemory) {
#ifdef QUOREL_STORM_ASAN
  GTEST_SKIP() << "the sanitizer's quarantine holds freed memory on purpose";
#endif
  Storm storm(1);
  TKWind* dial = storm.form->dial;
  // Steps chosen so that every course, wind direction and speed comes round, as the warm-up must
  // fill the glyph caches with everything the measured repaints draw.
  auto repaint = [&](int i) {
    dial->StepCourse(10 * i);
    dial->StepWind(70 * i);
    dial->StepSpeed(i % (RuleOf(DialValue::WindSpeed).maximum + 1));
    dial->repaint();
  };
  for (int i = 0; i < 36 * 41; ++i) repaint(i);
  EventCounter paints(dial);
  const long before = MemoryBytes();
  for (int i = 0; i < 10000; ++i) repaint(i);
  const long after = MemoryBytes();
#ifdef QUOREL_EMULATED
  std::printf("heap in use: %ld bytes before 10,000 repaints, %ld after\n", before, after);
#else
  std::printf("resident: %ld bytes before 10,000 repaints, %ld after\n", before, after);
#endif
  EXPECT_EQ(paints.count, 10000);
  EXPECT_LE(after - before, 256L << 10) << "from " << before << " to " << after << " bytes";
}
