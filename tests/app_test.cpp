#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "qt/QuorelApp.h"
#include "tests/FormFixture.h"
#include "tests/Nested.h"

// Failures then show the text rather than its UTF-16 units.
void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace {

TQuorelApplication* App() {
  return static_cast<TQuorelApplication*>(QCoreApplication::instance());
}

struct BoxSeen {
  QString title;
  QString text;
  QMessageBox::Icon icon;
  std::vector<QMessageBox::StandardButton> buttons;
};

// Notes every modal message box that comes up and answers it with its OK button once closeWhen
// holds, so a test sees what was shown without blocking in the box's own loop.
class BoxWatcher {
 public:
  explicit BoxWatcher(std::function<bool()> closeWhen = [] { return true; })
      : closeWhen_(std::move(closeWhen)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(10);
  }

  std::vector<BoxSeen> seen;
  int mostOpen = 0;
  std::function<void(QMessageBox*)> onShown;

 private:
  void Poll() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto open = std::count_if(windows.begin(), windows.end(), [](QWidget* w) {
      return qobject_cast<QMessageBox*>(w) != nullptr && w->isVisible();
    });
    mostOpen = std::max(mostOpen, static_cast<int>(open));
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    if (!known_.contains(QPointer<QMessageBox>(box))) {
      known_.append(box);
      BoxSeen s{box->windowTitle(), box->text(), box->icon(), {}};
      for (QAbstractButton* b : box->buttons()) s.buttons.push_back(box->standardButton(b));
      seen.push_back(s);
      if (onShown) onShown(box);
      return;
    }
    if (!closeWhen_()) return;
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
      ok->click();
    } else {
      box->reject();
    }
  }

  std::function<bool()> closeWhen_;
  QTimer timer_;
  QList<QPointer<QMessageBox>> known_;
};

// Keys.

// Which key steps which value which way; how the steps wrap is the dial's own rule.
TEST_F(FormTest, EachStepKeyStepsItsValue) {
  TakeFocus();
  struct Case {
    int key;
    Values after;
  } cases[] = {
      {Qt::Key_PageUp, {90, 200, 3}},
      {Qt::Key_PageDown, {110, 200, 3}},
      {Qt::Key_Home, {100, 190, 3}},
      {Qt::Key_End, {100, 210, 3}},
  };
  for (const Case& c : cases) {
    Set(dial, {100, 200, 3});
    SendKey(form.get(), c.key);
    EXPECT_EQ(Of(dial), c.after) << "key " << Qt::Key(c.key);
  }
}

TEST_F(FormTest, AutoRepeatedKeysStepLikePresses) {
  TakeFocus();
  Set(dial, {50, 200, 3});
  for (int i = 0; i < 3; ++i) SendKey(form.get(), Qt::Key_PageDown, Qt::NoModifier, true);
  EXPECT_EQ(Of(dial), (Values{80, 200, 3}));
}

TEST_F(FormTest, ModifiersAreIgnored) {
  TakeFocus();
  for (Qt::KeyboardModifiers m :
       {Qt::KeyboardModifiers(Qt::ShiftModifier), Qt::KeyboardModifiers(Qt::ControlModifier),
        Qt::ShiftModifier | Qt::ControlModifier}) {
    Set(dial, {100, 100, 0});
    SendKey(form.get(), Qt::Key_PageDown, m);
    SendKey(form.get(), Qt::Key_End, m);
    EXPECT_EQ(Of(dial), (Values{110, 110, 0})) << m.toInt();
  }
}

TEST_F(FormTest, OtherKeysChangeNothing) {
  TakeFocus();
  Set(dial, {100, 200, 7});
  for (int key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right, Qt::Key_Space,
                  Qt::Key_Return, Qt::Key_Escape, Qt::Key_A, Qt::Key_C, Qt::Key_1, Qt::Key_Plus,
                  Qt::Key_Minus, Qt::Key_F1, Qt::Key_Insert, Qt::Key_Delete}) {
    SendKey(form.get(), key);
    EXPECT_EQ(Of(dial), (Values{100, 200, 7})) << Qt::Key(key);
  }
}

TEST_F(FormTest, KeysDoNothingBeforeAPressGivesTheFocus) {
  EXPECT_NE(form->focusWidget(), dial);
  SendKey(form.get(), Qt::Key_PageDown);
  SendKey(form.get(), Qt::Key_End);
  EXPECT_EQ(Of(dial), (Values{360, 360, 0}));
}

// Mouse.

TEST_F(FormTest, PressOutsideTheButtonsTakesFocusAndRepaintsOnly) {
  EventCounter paints(dial);
  Pump();
  Click({150, 150});
  EXPECT_EQ(form->focusWidget(), dial);
  EXPECT_TRUE(dial->hasFocus());
  // Taking the focus repaints by itself, so the press that matters is the second one.
  Pump();
  paints.count = 0;
  Click({40, 150});
  Pump();
  EXPECT_GE(paints.count, 1);
  EXPECT_EQ(dial->turtle->bitmap->Width(), WindDial::kSize);
  EXPECT_EQ(Of(dial), (Values{360, 360, 0}));
}

TEST_F(FormTest, EveryMouseButtonStepsTheButtonUnderIt) {
  struct Case {
    QPoint at;
    Values after;
  } cases[] = {
      {{262, 17}, {90, 200, 5}},  {{282, 17}, {110, 200, 5}},  {{17, 277}, {100, 190, 5}},
      {{37, 277}, {100, 210, 5}}, {{262, 277}, {100, 200, 4}}, {{282, 277}, {100, 200, 6}},
  };
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    for (const Case& c : cases) {
      Set(dial, {100, 200, 5});
      Click(c.at, button);
      EXPECT_EQ(Of(dial), c.after) << "button " << button << " at " << c.at.x() << "," << c.at.y();
    }
  }
}

TEST_F(FormTest, DoubleClickOnCourseUpStepsTwice) {
  const QPoint at(282, 17);
  SendMouse(form.get(), QEvent::MouseButtonPress, at, Qt::LeftButton);
  SendMouse(form.get(), QEvent::MouseButtonRelease, at, Qt::LeftButton);
  SendMouse(form.get(), QEvent::MouseButtonDblClick, at, Qt::LeftButton);
  SendMouse(form.get(), QEvent::MouseButtonRelease, at, Qt::LeftButton);
  EXPECT_EQ(Of(dial), (Values{20, 360, 0}));
}

// The context menu.

TEST_F(FormTest, RightPressOverTheDialOpensTheFormMenuAndNothingElse) {
  BoxWatcher boxes;
  Set(dial, {100, 200, 5});
  SendMouse(form.get(), QEvent::MouseButtonPress, {150, 150}, Qt::RightButton);
  EXPECT_TRUE(form->PopupMenu->isVisible());
  Pump();
  form->PopupMenu->hide();
  SendMouse(form.get(), QEvent::MouseButtonRelease, {150, 150}, Qt::RightButton);
  EXPECT_TRUE(boxes.seen.empty());
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(Of(dial), (Values{100, 200, 5}));
}

TEST_F(FormTest, ContextMenuEventOnTheDialReachesTheForm) {
  QContextMenuEvent event(QContextMenuEvent::Keyboard, {10, 10}, dial->mapToGlobal(QPoint(10, 10)));
  QCoreApplication::sendEvent(dial, &event);
  EXPECT_TRUE(form->PopupMenu->isVisible());
  form->PopupMenu->hide();
}

TEST_F(FormTest, MenuOffersAboutAndExit) {
  const QList<QAction*> items = form->PopupMenu->actions();
  ASSERT_EQ(items.size(), 2);
  EXPECT_EQ(items[0], form->PMenuAbout);
  EXPECT_EQ(items[1], form->PMenuExit);
  EXPECT_EQ(form->PMenuAbout->text(), QStringLiteral("Quorelについて(&A)..."));
  EXPECT_EQ(form->PMenuExit->text(), QStringLiteral("終了(&X)"));
}

// About and Exit.

TEST_F(FormTest, AboutShowsAModalBoxWithVersionAndOk) {
  BoxWatcher boxes;
  bool modal = false;
  boxes.onShown = [&](QMessageBox* box) { modal = box->isModal(); };
  form->PMenuAbout->trigger();
  ASSERT_EQ(boxes.seen.size(), 1u);
  const BoxSeen& about = boxes.seen[0];
  EXPECT_TRUE(modal);
  EXPECT_EQ(about.title, App()->Title());
  // Only letters after the first are lowered.
  EXPECT_EQ(about.title, QStringLiteral("app_test"));
  const QStringList lines = about.text.split('\n');
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0], QStringLiteral("Quorel Version 0.3"));
  EXPECT_FALSE(lines[1].isEmpty());
  EXPECT_EQ(about.icon, QMessageBox::NoIcon);
  EXPECT_EQ(about.buttons, std::vector<QMessageBox::StandardButton>{QMessageBox::Ok});
  EXPECT_TRUE(form->isVisible());
}

TEST_F(FormTest, ExitClosesTheFormAndDeletesTheDial) {
  QPointer<TKWind> watched = dial;
  form->PMenuExit->trigger();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->dial, nullptr);
  EXPECT_TRUE(watched.isNull());
}

TEST_F(FormTest, ExitEndsTheEventLoopWithZero) {
  const QWidgetList windows = QApplication::topLevelWidgets();
  ASSERT_EQ(
      std::count_if(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); }), 1);
  QTimer::singleShot(0, form.get(), [&] { form->PMenuExit->trigger(); });
  QTimer stuck;
  stuck.setSingleShot(true);
  QObject::connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  stuck.start(10000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_EQ(form->dial, nullptr);
}

// Resizing.

TEST_F(FormTest, ResizeSnapsBackWithoutALoop) {
  EventCounter resizes(form.get(), QEvent::Resize);
  for (QSize size : {QSize(500, 400), QSize(100, 100), QSize(300, 301)}) {
    resizes.count = 0;
    form->resize(size);
    Pump();
    EXPECT_EQ(form->size(), QSize(WindDial::kSize, WindDial::kSize))
        << size.width() << "x" << size.height();
    EXPECT_EQ(dial->size(), QSize(WindDial::kSize, WindDial::kSize));
    EXPECT_LE(resizes.count, 4);
  }
}

// The window's icon comes once the first frame is out.
TEST_F(FormTest, WindowGetsItsIconAfterItIsPainted) {
  ASSERT_TRUE(PumpUntil([] { return !QApplication::windowIcon().isNull(); }));
  EXPECT_FALSE(form->windowIcon().isNull());
}

// Exceptions escaping event handlers.

class Thrower : public QWidget {
 public:
  std::function<void()> onPress;
  int keys = 0;
  int paints = 0;
  int paintThrows = 0;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_X) throw std::runtime_error("broken");
    ++keys;
  }
  void mousePressEvent(QMouseEvent*) override { onPress(); }
  void paintEvent(QPaintEvent*) override {
    ++paints;
    if (paintThrows > 0) {
      --paintThrows;
      throw std::runtime_error("paint");
    }
  }
};

TEST(HandlerExceptions, AreReportedAndTheLoopGoesOn) {
  BoxWatcher boxes;
  Thrower widget;
  QCoreApplication::postEvent(&widget, new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier));
  QCoreApplication::postEvent(&widget, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier));
  QEventLoop loop;
  QTimer::singleShot(100, &loop, &QEventLoop::quit);
  loop.exec();

  ASSERT_EQ(boxes.seen.size(), 1u);
  EXPECT_EQ(boxes.seen[0].title, App()->Title());
  EXPECT_EQ(boxes.seen[0].text, QStringLiteral("broken."));
  EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Critical);
  EXPECT_EQ(boxes.seen[0].buttons, std::vector<QMessageBox::StandardButton>{QMessageBox::Ok});
  EXPECT_EQ(widget.keys, 1);
}

TEST(HandlerExceptions, ReportNestedAndForeignThrows) {
  BoxWatcher boxes;
  Thrower widget;
  const auto press = [&] {
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    return QCoreApplication::sendEvent(&widget, &event);
  };
  widget.onPress = [] { std::rethrow_exception(Nested("inner", "outer")); };
  EXPECT_FALSE(press());
  widget.onPress = [] { throw 42; };
  EXPECT_FALSE(press());

  ASSERT_EQ(boxes.seen.size(), 2u);
  EXPECT_EQ(boxes.seen[0].text, QStringLiteral("inner."));
  EXPECT_EQ(boxes.seen[1].text, QString());
  EXPECT_EQ(boxes.seen[1].icon, QMessageBox::Critical);
}

TEST(HandlerExceptions, APaintFailingDuringAReportOpensNoSecondBox) {
  Thrower first;
  Thrower second;
  first.paintThrows = 1;
  second.paintThrows = 1;
  BoxWatcher boxes([&] { return second.paintThrows == 0; });
  boxes.onShown = [&](QMessageBox*) { second.show(); };
  first.show();
  ASSERT_TRUE(PumpUntil(
      [&] { return !boxes.seen.empty() && QApplication::activeModalWidget() == nullptr; }));
  EXPECT_EQ(second.paintThrows, 0);
  EXPECT_EQ(boxes.seen.size(), 1u);
  EXPECT_EQ(boxes.mostOpen, 1);
  EXPECT_EQ(boxes.seen[0].text, QStringLiteral("paint."));

  // Painting works again once the report is answered.
  const int paints = first.paints;
  first.repaint();
  EXPECT_GT(first.paints, paints);
}

}  // namespace
