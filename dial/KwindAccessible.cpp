#include "dial/KwindAccessible.h"

#include <QAccessibleWidget>
#include <algorithm>
#include <array>
#include <cmath>

#include "dial/Kwind.h"

namespace {

constexpr int kValueCount = 3;

// The nearest multiple of 10, taken within one turn first so that any finite value fits an int.
int NearestTen(double degrees) {
  return static_cast<int>(std::round(std::fmod(degrees, 360.0) / 10.0)) * 10;
}

class WindDialAccessible : public QAccessibleWidget {
 public:
  explicit WindDialAccessible(TKWind* dial);
  ~WindDialAccessible() override;

  TKWind* dial() const { return static_cast<TKWind*>(widget()); }

  int childCount() const override { return kValueCount; }
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  // The children cover the whole dial, so a point finds the dial itself.
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

 private:
  std::array<QAccessible::Id, kValueCount> children_{};
};

class DialValueAccessible : public QAccessibleInterface, public QAccessibleValueInterface {
 public:
  DialValueAccessible(WindDialAccessible* parent, DialValue which)
      : parent_(parent), which_(which) {}

  bool isValid() const override { return parent_->isValid(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return parent_->window(); }
  QAccessibleInterface* parent() const override { return parent_; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QRect rect() const override { return parent_->rect(); }
  QAccessible::Role role() const override { return QAccessible::Slider; }
  void setText(QAccessible::Text, const QString&) override {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) {
      switch (which_) {
        case DialValue::Course:
          return QStringLiteral("Course");
        case DialValue::WindDirection:
          return QStringLiteral("Wind direction");
        case DialValue::WindSpeed:
          return QStringLiteral("Wind speed");
      }
    }
    if (t == QAccessible::Value) {
      const int v = Value();
      return which_ == DialValue::WindSpeed ? QString::number(v)
                                            : QStringLiteral("%1 degrees").arg(v);
    }
    return {};
  }

  // The keys go to the dial, never to a single value.
  QAccessible::State state() const override {
    QAccessible::State s = parent_->state();
    s.focusable = false;
    s.focused = false;
    return s;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                               : nullptr;
  }

  QVariant currentValue() const override { return Value(); }
  QVariant minimumValue() const override { return which_ == DialValue::WindSpeed ? 0 : 10; }
  QVariant maximumValue() const override {
    return which_ == DialValue::WindSpeed ? kMaxWindSpeed : 360;
  }
  QVariant minimumStepSize() const override { return which_ == DialValue::WindSpeed ? 1 : 10; }

  // Through the same steps as keys and buttons, so the value ends up where they could put it.
  void setCurrentValue(const QVariant& value) override {
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok || !std::isfinite(v) || !isValid()) return;
    TKWind* d = parent_->dial();
    switch (which_) {
      case DialValue::Course:
        d->StepCourse(NearestTen(v));
        break;
      case DialValue::WindDirection:
        d->StepWind(NearestTen(v));
        break;
      case DialValue::WindSpeed:
        d->StepSpeed(static_cast<int>(std::round(std::clamp(v, 0.0, 1.0 * kMaxWindSpeed))));
        break;
    }
  }

 private:
  int Value() const {
    if (!isValid()) return 0;
    const TKWind* d = parent_->dial();
    switch (which_) {
      case DialValue::Course:
        return d->course;
      case DialValue::WindDirection:
        return d->windDirection;
      case DialValue::WindSpeed:
        return d->windSpeed;
    }
    return 0;
  }

  WindDialAccessible* parent_;
  DialValue which_;
};

WindDialAccessible::WindDialAccessible(TKWind* dial)
    : QAccessibleWidget(dial, QAccessible::Grouping, QStringLiteral("Wind dial")) {
  for (int i = 0; i < kValueCount; ++i) {
    children_[i] = QAccessible::registerAccessibleInterface(
        new DialValueAccessible(this, static_cast<DialValue>(i)));
  }
}

// The children have no object of their own for the cache to follow, so they go with the dial's.
WindDialAccessible::~WindDialAccessible() {
  for (QAccessible::Id id : children_) QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* WindDialAccessible::child(int index) const {
  if (index < 0 || index >= kValueCount) return nullptr;
  return QAccessible::accessibleInterface(children_[index]);
}

int WindDialAccessible::indexOfChild(const QAccessibleInterface* child) const {
  for (int i = 0; i < kValueCount; ++i) {
    if (QAccessible::accessibleInterface(children_[i]) == child) return i;
  }
  return -1;
}

}  // namespace

QAccessibleInterface* WindDialAccessibleFactory(const QString&, QObject* object) {
  if (auto* dial = qobject_cast<TKWind*>(object)) return new WindDialAccessible(dial);
  return nullptr;
}

void NotifyDialValueChanged(TKWind* dial, DialValue which) {
  // Nobody listens unless assistive technology is on; the interfaces are not worth building then.
  if (!QAccessible::isActive()) return;
  QAccessibleInterface* dialFace = QAccessible::queryAccessibleInterface(dial);
  QAccessibleInterface* child = dialFace ? dialFace->child(static_cast<int>(which)) : nullptr;
  if (child == nullptr || child->valueInterface() == nullptr) return;
  QAccessibleValueChangeEvent event(child, child->valueInterface()->currentValue());
  QAccessible::updateAccessibility(&event);
}
