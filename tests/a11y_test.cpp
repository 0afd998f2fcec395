// The dial as a screen reader sees it: three named sliders that read and set the values under the
// dial's own rules and announce every change, whatever made it.
#include <QtGui/private/qguiapplication_p.h>
#include <gtest/gtest.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <QAccessible>
#include <QAccessibleValueChangeEvent>
#include <string>
#include <vector>

#include "tests/FormFixture.h"

namespace {

struct Announcement {
  std::string name;
  int value;
  bool operator==(const Announcement&) const = default;
};

void PrintTo(const Announcement& a, std::ostream* os) {
  *os << a.name << "=" << a.value;
}

std::vector<Announcement>* announcements = nullptr;

void RecordValueChange(QAccessibleEvent* event) {
  if (announcements == nullptr || event->type() != QAccessible::ValueChanged) return;
  QAccessibleInterface* source = event->accessibleInterface();
  announcements->push_back(
      {source != nullptr ? source->text(QAccessible::Name).toStdString() : std::string("?"),
       static_cast<QAccessibleValueChangeEvent*>(event)->value().toInt()});
}

// As if a screen reader were listening: Qt offers no public switch for that, so the platform's
// accessibility is turned on directly; the events go to RecordValueChange.
class Listening {
 public:
  explicit Listening(std::vector<Announcement>* into)
      : platform_(QGuiApplicationPrivate::platformIntegration()->accessibility()) {
    announcements = into;
    previous_ = QAccessible::installUpdateHandler(RecordValueChange);
    if (platform_ != nullptr) {
      wasActive_ = platform_->isActive();
      platform_->setActive(true);
    }
  }
  ~Listening() {
    if (platform_ != nullptr) platform_->setActive(wasActive_);
    QAccessible::installUpdateHandler(previous_);
    announcements = nullptr;
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
    QAccessibleValueInterface* value = child->valueInterface();
    ASSERT_NE(value, nullptr) << e.name;
    EXPECT_EQ(value->currentValue().toInt(), e.value) << e.name;
    EXPECT_EQ(value->minimumValue().toInt(), e.minimum) << e.name;
    EXPECT_EQ(value->maximumValue().toInt(), e.maximum) << e.name;
    EXPECT_EQ(value->minimumStepSize().toInt(), e.step) << e.name;
  }
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

TEST_F(A11yTest, EveryChangeIsAnnouncedWhateverMadeIt) {
  std::vector<Announcement> seen;
  {
    const Listening listening(&seen);
    ASSERT_TRUE(QAccessible::isActive());

    Click({150, 150});  // gives the dial the keys and changes nothing
    SendKey(form.get(), Qt::Key_PageDown);
    SendKey(form.get(), Qt::Key_Home);
    Click({282, 277});  // speed up
    Click({262, 277});  // speed down
    Click({262, 277});  // speed already 0: no change, no announcement
    Value(0)->setCurrentValue(375);
    Value(2)->setCurrentValue(50);
    Value(0)->setCurrentValue(384);  // rounds to 20, where it is
    Value(1)->setCurrentValue(350);  // where it is
  }
  EXPECT_EQ(seen, (std::vector<Announcement>{{"Course", 10},
                                             {"Wind direction", 350},
                                             {"Wind speed", 1},
                                             {"Wind speed", 0},
                                             {"Course", 20},
                                             {"Wind speed", 40}}));
}

TEST_F(A11yTest, TheSlidersGoWithTheDial) {
  std::vector<QAccessible::Id> ids;
  for (int i = 0; i < 3; ++i) ids.push_back(QAccessible::uniqueId(face->child(i)));
  form->FormClose();
  for (QAccessible::Id id : ids) EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr);
}

}  // namespace
