#include "dial/KwindAccessible.h"

#include <QAccessibleWidget>
#include <array>
#include <cmath>

#include "dial/Kwind.h"

namespace {

// The order in which screen readers list the sliders.
constexpr std::array<DialValue, kDialValueCount> kSliderOrder = {
    DialValue::Course, DialValue::WindDirection, DialValue::WindSpeed};

int SliderIndex(DialValue which) {
  for (int i = 0; i < kDialValueCount; ++i) {
    if (kSliderOrder[i] == which) return i;
  }
  return -1;
}

class WindDialAccessible : public QAccessibleWidget {
 public:
  explicit WindDialAccessible(TKWind* dial);
  ~WindDialAccessible() override;

  TKWind* dial() const { return static_cast<TKWind*>(widget()); }

  int childCount() const override { return kDialValueCount; }
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  // The children cover the whole dial, so a point finds the dial itself.
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

 private:
  std::array<QAccessible::Id, kDialValueCount> children_{};
};

class DialValueAccessible : public QAccessibleInterface, public QAccessibleValueInterface {
 public:
  DialValueAccessible(WindDialAccessible* parent, DialValue which)
      : parent_(parent), rule_(RuleOf(which)) {}

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
    if (t == QAccessible::Name) return QString::fromUtf8(rule_.name);
    if (t == QAccessible::Value) {
      const QString number = QString::number(Value());
      if (*rule_.unit == '\0') return number;
      return number + QLatin1Char(' ') + QString::fromUtf8(rule_.unit);
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
  QVariant minimumValue() const override { return rule_.minimum; }
  QVariant maximumValue() const override { return rule_.maximum; }
  QVariant minimumStepSize() const override { return rule_.step; }

  // Through the dial's own rule, so the value ends up where keys and buttons could put it.
  void setCurrentValue(const QVariant& value) override {
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok || !std::isfinite(v) || !isValid()) return;
    TKWind* d = parent_->dial();
    d->Set(rule_.value, NearestAllowed(rule_.value, v, d->Value(rule_.value)));
  }

 private:
  int Value() const { return isValid() ? parent_->dial()->Value(rule_.value) : 0; }

  WindDialAccessible* parent_;
  const DialValueRule& rule_;
};

WindDialAccessible::WindDialAccessible(TKWind* dial)
    : QAccessibleWidget(dial, QAccessible::Grouping, QStringLiteral("Wind dial")) {
  for (int i = 0; i < kDialValueCount; ++i) {
    children_[i] =
        QAccessible::registerAccessibleInterface(new DialValueAccessible(this, kSliderOrder[i]));
  }
}

// The children have no object of their own for the cache to follow, so they go with the dial's.
WindDialAccessible::~WindDialAccessible() {
  for (QAccessible::Id id : children_) QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* WindDialAccessible::child(int index) const {
  if (index < 0 || index >= kDialValueCount) return nullptr;
  return QAccessible::accessibleInterface(children_[index]);
}

int WindDialAccessible::indexOfChild(const QAccessibleInterface* child) const {
  for (int i = 0; i < kDialValueCount; ++i) {
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
  QAccessibleInterface* child = dialFace ? dialFace->child(SliderIndex(which)) : nullptr;
  if (child == nullptr || child->valueInterface() == nullptr) return;
  QAccessibleValueChangeEvent event(child, child->valueInterface()->currentValue());
  QAccessible::updateAccessibility(&event);
}
