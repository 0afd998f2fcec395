#include "qt/KwindAccessible.h"

#include <QAccessibleWidget>
#include <array>

#include "dial/DialAccess.h"
#include "qt/Kwind.h"

namespace {

// The sliders are listed in the order of the value table.
DialValue SliderValue(int index) {
  return kDialValues[index].value;
}
int SliderIndex(DialValue which) {
  return static_cast<int>(which);
}

class WindDialAccessible : public QAccessibleWidget {
 public:
  explicit WindDialAccessible(TKWind* dial);
  ~WindDialAccessible() override;

  TKWind* dial() const { return static_cast<TKWind*>(widget()); }

  QString text(QAccessible::Text t) const override;
  int childCount() const override { return kDialValueCount; }
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;
  QAccessibleInterface* focusChild() const override;

  // A rectangle in the dial's client pixels as screen coordinates.
  QRect OnScreen(const DialArea& area) const;

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
  // The pair of step buttons that changes the value.
  QRect rect() const override { return parent_->OnScreen(StepButtonPair(rule_.value)); }
  QAccessible::Role role() const override { return QAccessible::Slider; }
  void setText(QAccessible::Text, const QString&) override {}

  QString text(QAccessible::Text t) const override {
    switch (t) {
      case QAccessible::Name:
        return QString::fromUtf8(rule_.name);
      case QAccessible::Value:
        return QString::fromStdString(ValueText(rule_.value, Value()));
      case QAccessible::Description:
        return QString::fromUtf8(HowToChange(rule_.value));
      default:
        return {};
    }
  }

  // Every slider can take the focus; the current one has it while the dial has the keyboard.
  QAccessible::State state() const override {
    QAccessible::State s = parent_->state();
    s.focusable = true;
    s.focused = s.focused && IsCurrent();
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

  void setCurrentValue(const QVariant& value) override {
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (ok && isValid()) SetFromScreenReader(*parent_->dial(), rule_.value, v);
  }

 private:
  int Value() const { return isValid() ? parent_->dial()->Value(rule_.value) : 0; }
  bool IsCurrent() const { return isValid() && parent_->dial()->Current() == rule_.value; }

  WindDialAccessible* parent_;
  const DialValueRule& rule_;
};

WindDialAccessible::WindDialAccessible(TKWind* dial)
    : QAccessibleWidget(dial, QAccessible::Grouping, QString::fromUtf8(kDialAccessName)) {
  for (int i = 0; i < kDialValueCount; ++i) {
    children_[i] =
        QAccessible::registerAccessibleInterface(new DialValueAccessible(this, SliderValue(i)));
  }
}

// The children have no object of their own for the cache to follow, so they go with the dial's.
WindDialAccessible::~WindDialAccessible() {
  for (QAccessible::Id id : children_) QAccessible::deleteAccessibleInterface(id);
}

QString WindDialAccessible::text(QAccessible::Text t) const {
  if (t != QAccessible::Description) return QAccessibleWidget::text(t);
  const TKWind* d = dial();
  return QString::fromStdString(DialSummary(d->course(), d->windDirection(), d->windSpeed()));
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

QAccessibleInterface* WindDialAccessible::childAt(int x, int y) const {
  const QPoint at = dial()->mapFromGlobal(QPoint(x, y));
  const auto slider = SliderAt(at.x(), at.y());
  return slider ? child(SliderIndex(*slider)) : nullptr;
}

QAccessibleInterface* WindDialAccessible::focusChild() const {
  if (!dial()->hasFocus()) return nullptr;
  return child(SliderIndex(dial()->Current()));
}

QRect WindDialAccessible::OnScreen(const DialArea& area) const {
  const QPoint topLeft = dial()->mapToGlobal(QPoint(area.left, area.top));
  return {topLeft, QSize(area.Width(), area.Height())};
}

// Nobody listens unless assistive technology is on; the interfaces are not worth building then.
QAccessibleInterface* Slider(TKWind* dial, DialValue which) {
  if (!QAccessible::isActive()) return nullptr;
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(dial);
  return face != nullptr ? face->child(SliderIndex(which)) : nullptr;
}

}  // namespace

QAccessibleInterface* WindDialAccessibleFactory(const QString&, QObject* object) {
  if (auto* dial = qobject_cast<TKWind*>(object)) return new WindDialAccessible(dial);
  return nullptr;
}

void NotifyDialFocus(TKWind* dial, DialValue which) {
  QAccessibleInterface* slider = Slider(dial, which);
  if (slider == nullptr) return;
  QAccessibleEvent event(slider, QAccessible::Focus);
  QAccessible::updateAccessibility(&event);
}

void NotifyDialValueChanged(TKWind* dial, DialValue which) {
  QAccessibleInterface* slider = Slider(dial, which);
  if (slider == nullptr || slider->valueInterface() == nullptr) return;
  QAccessibleValueChangeEvent changed(slider, slider->valueInterface()->currentValue());
  QAccessible::updateAccessibility(&changed);
  QAccessibleEvent described(dial, QAccessible::DescriptionChanged);
  QAccessible::updateAccessibility(&described);
}
