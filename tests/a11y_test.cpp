// The dial as a screen reader sees it: three named sliders that read and set the values under the
// dial's own rules, and the focus and value events that make every change heard.
#include <QtGui/private/qguiapplication_p.h>
#include <gtest/gtest.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <QAccessible>
#include <QAccessibleValueChangeEvent>
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
    ASSERT_EQ(face->childCount(), 3);
  }

  QAccessibleValueInterface* Value(int index) {
    QAccessibleInterface* child = face->child(index);
    return child != nullptr ? child->valueInterface() : nullptr;
  }

  QAccessibleInterface* face = nullptr;
};

TEST_F(A11yTest, DialIsAGroupOfThreeSlidersWithRangesAndValues) {
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
    EXPECT_EQ(child->role(), QAccessible::Slider) << e.name;
    EXPECT_EQ(child->parent(), face) << e.name;
    EXPECT_EQ(face->indexOfChild(child), i) << e.name;
    EXPECT_EQ(child->text(QAccessible::Value), QString::fromUtf8(e.text)) << e.name;
    EXPECT_FALSE(child->text(QAccessible::Description).isEmpty()) << e.name;
    EXPECT_TRUE(child->state().focusable) << e.name;
    // A slider covers its pair of step buttons, and a point there finds it.
    EXPECT_EQ(child->rect().size(), QSize(36, 16)) << e.name;
    EXPECT_EQ(face->childAt(child->rect().left(), child->rect().bottom()), child) << e.name;
    QAccessibleValueInterface* value = child->valueInterface();
    ASSERT_NE(value, nullptr) << e.name;
    EXPECT_EQ(value->currentValue().toInt(), e.value) << e.name;
    EXPECT_EQ(value->minimumValue().toInt(), e.minimum) << e.name;
    EXPECT_EQ(value->maximumValue().toInt(), e.maximum) << e.name;
    EXPECT_EQ(value->minimumStepSize().toInt(), e.step) << e.name;
  }
  EXPECT_EQ(face->text(QAccessible::Description),
            QStringLiteral("Wind dial: course 30, wind 120 degrees at 25"));
  const QPoint centre = face->rect().center();
  EXPECT_EQ(face->childAt(centre.x(), centre.y()), nullptr);
  EXPECT_EQ(face->child(3), nullptr);
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

// A reader that speaks only for the focused object must hear the slider's focus before its value.
TEST_F(A11yTest, EveryChangeIsAnnouncedOnTheFocusedSliderWhateverMadeIt) {
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
  EXPECT_EQ(seen, (std::vector<std::string>{"focus Wind dial", "focus Course", "Course = 10",
                                            "Course = 360", "focus Wind direction",
                                            "Wind direction = 350", "focus Wind speed",
                                            "Wind speed = 1", "Wind speed = 0", "focus Course",
                                            "Course = 20", "focus Wind speed", "Wind speed = 40"}));
}

// A press that gives the dial the focus on a step button goes straight to that button's slider.
TEST_F(A11yTest, APressOnAButtonFocusesItsSlider) {
  std::vector<std::string> seen;
  {
    const Listening listening(&seen);
    Click({37, 277});  // wind up
    Pump(10);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"focus Wind dial", "focus Wind direction",
                                            "Wind direction = 10"}));
  EXPECT_TRUE(face->child(1)->state().focused);
  EXPECT_FALSE(face->child(0)->state().focused);
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
    // Tab leaves the dial on Course, wherever the user last was.
    EXPECT_TRUE(face->child(0)->state().focused) << key;
    SendKey(form.get(), Qt::Key_End);
    EXPECT_TRUE(face->child(1)->state().focused) << key;
  }
}

TEST_F(A11yTest, TheSlidersGoWithTheDial) {
  std::vector<QAccessible::Id> ids;
  for (int i = 0; i < 3; ++i) ids.push_back(QAccessible::uniqueId(face->child(i)));
  form->FormClose();
  for (QAccessible::Id id : ids) EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr);
}

}  // namespace
