// The dial as a screen reader sees it: three named spin buttons that read and set the values under
// the dial's own rules, six step buttons it can press, and the focus and value events that make
// every change heard once.
#include <QtGui/private/qguiapplication_p.h>
#include <gtest/gtest.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <QAccessible>
#include <QAccessibleValueChangeEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/FormFixture.h"

namespace {

// What a screen reader hears, in order: "focus NAME" and "NAME = VALUE".
std::vector<std::string>* heard = nullptr;

void Record(QAccessibleEvent* event) {
  if (heard == nullptr) return;
  QAccessibleInterface* source = event->accessibleInterface();
  const std::string name =
      source != nullptr ? source->text(QAccessible::Name).toStdString() : std::string("?");
  if (event->type() == QAccessible::Focus) heard->push_back("focus " + name);
  if (event->type() == QAccessible::ValueChanged) {
    const int value = static_cast<QAccessibleValueChangeEvent*>(event)->value().toInt();
    heard->push_back(name + " = " + std::to_string(value));
  }
}

// As if a screen reader were listening: Qt offers no public switch for that, so the platform's
// accessibility is turned on directly; the events go to Record.
class Listening {
 public:
  explicit Listening(std::vector<std::string>* into)
      : platform_(QGuiApplicationPrivate::platformIntegration()->accessibility()) {
    heard = into;
    previous_ = QAccessible::installUpdateHandler(Record);
    if (platform_ != nullptr) {
      wasActive_ = platform_->isActive();
      platform_->setActive(true);
    }
  }
  ~Listening() {
    if (platform_ != nullptr) platform_->setActive(wasActive_);
    QAccessible::installUpdateHandler(previous_);
    heard = nullptr;
  }
  Listening(const Listening&) = delete;
  Listening& operator=(const Listening&) = delete;

 private:
  QPlatformAccessibility* platform_;
  QAccessible::UpdateHandler previous_ = nullptr;
  bool wasActive_ = false;
};

class A11yTest : public FormTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(FormTest::SetUp());
    face = QAccessible::queryAccessibleInterface(dial);
    ASSERT_NE(face, nullptr);
    ASSERT_EQ(face->childCount(), 9);
  }

  QAccessibleValueInterface* Value(int index) {
    QAccessibleInterface* child = face->child(index);
    return child != nullptr ? child->valueInterface() : nullptr;
  }

  QAccessibleInterface* face = nullptr;
};

TEST_F(A11yTest, DialIsAGroupOfThreeSpinButtonsWithRangesAndValuesAndSixStepButtons) {
  EXPECT_EQ(face->text(QAccessible::Name), QStringLiteral("Wind dial"));
  dial->StepCourse(30);
  dial->StepWind(120);
  dial->StepSpeed(25);
  struct Expected {
    const char* name;
    int value;
    const char* text;
    int minimum, maximum, step;
  } expected[] = {
      {"Course", 30, "30 degrees", 10, 360, 10},
      {"Wind direction", 120, "120 degrees", 10, 360, 10},
      {"Wind speed", 25, "25", 0, 40, 1},
  };
  for (int i = 0; i < 3; ++i) {
    const Expected& e = expected[i];
    QAccessibleInterface* child = face->child(i);
    ASSERT_NE(child, nullptr) << i;
    EXPECT_TRUE(child->isValid());
    EXPECT_EQ(child->text(QAccessible::Name), QString::fromUtf8(e.name));
    EXPECT_EQ(child->role(), QAccessible::SpinBox) << e.name;
    EXPECT_EQ(child->parent(), face) << e.name;
    EXPECT_EQ(face->indexOfChild(child), i) << e.name;
    EXPECT_EQ(child->text(QAccessible::Value), QString::fromUtf8(e.text)) << e.name;
    // Readers say a spin button's value as its text, so the unit is heard too.
    ASSERT_NE(child->textInterface(), nullptr) << e.name;
    EXPECT_EQ(child->textInterface()->text(0, child->textInterface()->characterCount()),
              QString::fromUtf8(e.text))
        << e.name;
    EXPECT_FALSE(child->text(QAccessible::Description).isEmpty()) << e.name;
    EXPECT_TRUE(child->state().focusable) << e.name;
    // A value covers its pair of step buttons; a point between the two finds it.
    EXPECT_EQ(child->rect().size(), QSize(36, 16)) << e.name;
    EXPECT_EQ(face->childAt(child->rect().center().x(), child->rect().bottom()), child) << e.name;
    QAccessibleValueInterface* value = child->valueInterface();
    ASSERT_NE(value, nullptr) << e.name;
    EXPECT_EQ(value->currentValue().toInt(), e.value) << e.name;
    EXPECT_EQ(value->minimumValue().toInt(), e.minimum) << e.name;
    EXPECT_EQ(value->maximumValue().toInt(), e.maximum) << e.name;
    EXPECT_EQ(value->minimumStepSize().toInt(), e.step) << e.name;
  }
  const char* buttons[] = {"Lower course",         "Raise course",     "Lower wind direction",
                           "Raise wind direction", "Lower wind speed", "Raise wind speed"};
  for (int i = 3; i < 9; ++i) {
    QAccessibleInterface* button = face->child(i);
    ASSERT_NE(button, nullptr) << i;
    EXPECT_EQ(button->text(QAccessible::Name), QString::fromUtf8(buttons[i - 3]));
    EXPECT_EQ(button->role(), QAccessible::Button) << buttons[i - 3];
    EXPECT_EQ(button->rect().size(), QSize(16, 16)) << buttons[i - 3];
    EXPECT_EQ(face->childAt(button->rect().left(), button->rect().bottom()), button);
    ASSERT_NE(button->actionInterface(), nullptr) << buttons[i - 3];
    EXPECT_EQ(button->actionInterface()->actionNames(),
              QStringList{QAccessibleActionInterface::pressAction()});
  }
  EXPECT_EQ(face->child(4)->rect().topLeft(), dial->mapToGlobal(QPoint(275, 10)));
  EXPECT_EQ(face->text(QAccessible::Description),
            QStringLiteral("Wind dial: course 30, wind 120 degrees at 25"));
  const QPoint centre = face->rect().center();
  EXPECT_EQ(face->childAt(centre.x(), centre.y()), nullptr);
  EXPECT_EQ(face->child(9), nullptr);
  EXPECT_EQ(face->child(-1), nullptr);
}

// Each slider sets its own value through the dial's rule (whose cases the dial's own tests hold)
// and repaints.
TEST_F(A11yTest, SettingAValueGoesThroughTheDialRuleAndRepaints) {
  struct Case {
    int index;
    QVariant set;
    int before, after;
  } cases[] = {
      {0, 374.9, 360, 10},
      {1, "130", 100, 130},
      {2, 50, 0, 40},
      // What is no number leaves the value alone.
      {2, "abc", 7, 7},
      {1, QVariant(), 100, 100},
  };
  const DialValue listed[] = {DialValue::Course, DialValue::WindDirection, DialValue::WindSpeed};
  for (const Case& c : cases) {
    const DialValue which = listed[c.index];
    dial->Set(which, c.before);
    Pump(10);
    EventCounter paints(dial);
    Value(c.index)->setCurrentValue(c.set);
    const std::string what = face->child(c.index)->text(QAccessible::Name).toStdString() +
                             " set to " + c.set.toString().toStdString();
    EXPECT_EQ(dial->Value(which), c.after) << what;
    Pump(10);
    if (c.after != c.before) {
      EXPECT_GE(paints.count, 1) << what;
    }
  }
}

// A reader speaks only for the focused object, so it passes over a change to a value that is not
// focused yet and speaks the new value once, when the focus comes to it.
TEST_F(A11yTest, EveryChangeIsToldAndThenItsValueFocusedWhateverMadeIt) {
  std::vector<std::string> seen;
  {
    const Listening listening(&seen);
    ASSERT_TRUE(QAccessible::isActive());

    SendKey(form.get(), Qt::Key_Tab);
    Pump(10);
    SendKey(form.get(), Qt::Key_PageDown);
    SendKey(form.get(), Qt::Key_PageUp);
    SendKey(form.get(), Qt::Key_Home);
    Click({282, 277});  // speed up
    Click({262, 277});  // speed down
    Click({262, 277});  // speed already 0: no change, nothing to hear
    Click({150, 150});  // no button, and the dial has the focus already
    Value(0)->setCurrentValue(375);
    Value(2)->setCurrentValue(50);
    Value(0)->setCurrentValue(24);   // rounds to 20, where it is
    Value(1)->setCurrentValue(350);  // where it is
    Pump(10);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "focus Wind dial", "focus Course", "Course = 10", "Course = 360",
                      "Wind direction = 350", "focus Wind direction", "Wind speed = 1",
                      "focus Wind speed", "Wind speed = 0", "Course = 20", "focus Course",
                      "Wind speed = 40", "focus Wind speed"}));
}

// A press that gives the dial the focus on a step button goes straight to that button's value; a
// screen reader's press on the step button does the same.
TEST_F(A11yTest, APressOnAStepButtonFocusesItsValueWhoeverPresses) {
  std::vector<std::string> seen;
  {
    const Listening listening(&seen);
    Click({37, 277});  // wind up
    Pump(10);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"focus Wind dial", "Wind direction = 10",
                                            "focus Wind direction"}));
  EXPECT_TRUE(face->child(1)->state().focused);
  EXPECT_FALSE(face->child(0)->state().focused);

  form->setFocus();
  seen.clear();
  {
    const Listening listening(&seen);
    face->child(8)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    Pump(10);
  }
  EXPECT_EQ(Of(dial), (Values{360, 10, 1}));
  EXPECT_TRUE(dial->hasFocus());
  EXPECT_EQ(seen,
            (std::vector<std::string>{"focus Wind dial", "Wind speed = 1", "focus Wind speed"}));
}

TEST_F(A11yTest, TabAndShiftTabReachTheDialButTheWindowOpeningDoesNot) {
  ASSERT_TRUE(form->isActiveWindow());
  EXPECT_FALSE(dial->hasFocus());
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(face->child(i)->state().focused) << i;
  for (const auto& [key, modifiers] :
       {std::pair{Qt::Key_Tab, Qt::NoModifier}, std::pair{Qt::Key_Backtab, Qt::ShiftModifier}}) {
    form->setFocus();
    ASSERT_FALSE(dial->hasFocus());
    SendKey(form.get(), key, modifiers);
    EXPECT_TRUE(dial->hasFocus()) << key;
    // The first focus starts at Course; a later one comes back to the value last worked on.
    EXPECT_EQ(face->child(0)->state().focused, key == Qt::Key_Tab) << key;
    SendKey(form.get(), Qt::Key_End);
    EXPECT_TRUE(face->child(1)->state().focused) << key;
  }
}

// Shift+F10 and the menu key open the menu below the current value's buttons with its first item
// chosen; Escape brings the focus back to the same value, which is heard again.
TEST_F(A11yTest, TheMenuOpensFromTheKeyboardAndGivesTheCurrentValueBack) {
  TakeFocus();
  SendKey(form.get(), Qt::Key_End);
  for (const bool menuKey : {false, true}) {
    if (menuKey) {
      QContextMenuEvent event(QContextMenuEvent::Keyboard, {0, 0}, dial->mapToGlobal(QPoint()));
      QCoreApplication::sendEvent(dial, &event);
    } else {
      SendKey(form.get(), Qt::Key_F10, Qt::ShiftModifier);
    }
    ASSERT_TRUE(form->PopupMenu->isVisible()) << menuKey;
    EXPECT_EQ(form->PopupMenu->activeAction(), form->PMenuAbout) << menuKey;
    EXPECT_EQ(form->PopupMenu->pos(), dial->mapToGlobal(QPoint(10, 286))) << menuKey;
    std::vector<std::string> seen;
    {
      const Listening listening(&seen);
      SendKey(form->PopupMenu, Qt::Key_Escape);
      // The offscreen platform has no window manager to hand the activation back to the form.
      form->activateWindow();
      // The value is announced when the event loop comes round after the focus, which on a slow
      // machine (or under qemu) takes longer than a fixed wait; then any later word is let in.
      PumpUntil(
          [&] { return dial->hasFocus() && !seen.empty() && seen.back() != "focus Wind dial"; });
      Pump(10);
    }
    EXPECT_FALSE(form->PopupMenu->isVisible()) << menuKey;
    EXPECT_TRUE(dial->hasFocus()) << menuKey;
    ASSERT_FALSE(seen.empty()) << menuKey;
    EXPECT_EQ(seen.back(), "focus Wind direction") << menuKey;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "focus Course"), 0) << menuKey;
  }
}

TEST_F(A11yTest, TheChildrenGoWithTheDial) {
  std::vector<QAccessible::Id> ids;
  for (int i = 0; i < 9; ++i) ids.push_back(QAccessible::uniqueId(face->child(i)));
  form->FormClose();
  for (QAccessible::Id id : ids) EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr);
}

// Run once more with LANG=ja_JP.UTF-8 (tests/CMakeLists.txt): the texts follow the desktop's
// language, while the menu stays as it is.
TEST_F(A11yTest, TheTextsFollowTheDesktopsLanguage) {
  const bool japanese = qEnvironmentVariable("LANG").startsWith(QStringLiteral("ja"));
  EXPECT_EQ(face->text(QAccessible::Name), japanese ? QStringLiteral("風ダイヤル") : "Wind dial");
  EXPECT_EQ(face->child(0)->text(QAccessible::Name), japanese ? QStringLiteral("針路") : "Course");
  EXPECT_EQ(face->child(1)->text(QAccessible::Value),
            japanese ? QStringLiteral("360度") : "360 degrees");
  EXPECT_EQ(face->child(8)->text(QAccessible::Name),
            japanese ? QStringLiteral("風速を上げる") : "Raise wind speed");
  EXPECT_EQ(form->PMenuExit->text(), QStringLiteral("終了(&X)"));
}

}  // namespace
