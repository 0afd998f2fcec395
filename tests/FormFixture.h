// The main window under test and how the Qt tests drive it: the event pump, keys and presses sent
// as the window system sends them, the dial's three values at a glance and an event counter.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWindow>
#include <memory>
#include <ostream>

#include "qt/F01.h"
#include "qt/Kwind.h"

// Runs the event loop until done() holds, for at most ms; false if it never did.
template <class Done>
bool PumpUntil(Done done, int ms = 5000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

inline void Pump(int ms = 50) {
  PumpUntil([] { return false; }, ms);
}

// Counts the events of one type, paints unless told otherwise, that reach an object.
class EventCounter : public QObject {
 public:
  explicit EventCounter(QObject* target, QEvent::Type type = QEvent::Paint) : type_(type) {
    target->installEventFilter(this);
  }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == type_) ++count;
    return false;
  }

 private:
  QEvent::Type type_;
};

// Input goes to the form's window, as from the window system: Qt then finds the widget under the
// pointer or with the focus, gives click focus, and adds the context-menu event of a right press.
inline void SendMouse(QWidget* form, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMouseEvent event(type, at, form->mapToGlobal(at), button, held, modifiers);
  QCoreApplication::sendEvent(form->windowHandle(), &event);
}

// Holding only the button itself, and nothing once it is released.
inline void SendMouse(QWidget* form, QEvent::Type type, QPoint at,
                      Qt::MouseButton button = Qt::LeftButton) {
  SendMouse(form, type, at, button,
            type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(button));
}

inline void SendKeyEvent(QWidget* form, QEvent::Type type, int key,
                         Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                         bool autoRepeat = false) {
  QKeyEvent event(type, key, modifiers, QString(), autoRepeat);
  QCoreApplication::sendEvent(form->windowHandle(), &event);
}

// A press and its release.
inline void SendKey(QWidget* form, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                    bool autoRepeat = false) {
  SendKeyEvent(form, QEvent::KeyPress, key, modifiers, autoRepeat);
  SendKeyEvent(form, QEvent::KeyRelease, key, modifiers, autoRepeat);
}

struct Values {
  int course;
  int wind;
  int speed;
  bool operator==(const Values&) const = default;
};

inline void PrintTo(const Values& v, std::ostream* os) {
  *os << "{course " << v.course << ", wind " << v.wind << ", speed " << v.speed << "}";
}

inline Values Of(const WindDial* dial) {
  return {dial->course(), dial->windDirection(), dial->windSpeed()};
}

inline void Set(WindDial* dial, Values v) {
  dial->StepCourse(v.course);
  dial->StepWind(v.wind);
  dial->StepSpeed(v.speed);
}

// A new main window, shown, once the platform has put it on the screen (or given up waiting).
inline std::unique_ptr<TFQuorel> ShowForm() {
  auto form = std::make_unique<TFQuorel>();
  form->show();
  PumpUntil([&] { return form->windowHandle()->isExposed(); });
  return form;
}

class FormTest : public testing::Test {
 protected:
  void SetUp() override {
    form = ShowForm();
    ASSERT_TRUE(form->windowHandle()->isExposed());
    dial = form->dial;
    ASSERT_NE(dial, nullptr);
  }

  void TearDown() override {
    form.reset();
    Pump(10);
  }

  void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    SendMouse(form.get(), QEvent::MouseButtonPress, at, button);
    // A right press opens the form's menu, which would otherwise take the release.
    form->PopupMenu->hide();
    SendMouse(form.get(), QEvent::MouseButtonRelease, at, button);
  }

  void TakeFocus() {
    Click({150, 150});
    ASSERT_EQ(form->focusWidget(), dial);
  }

  std::unique_ptr<TFQuorel> form;
  TKWind* dial = nullptr;
};
