#include "qt/KwindAccessible.h"

#include <QAccessibleWidget>
#include <QLocale>
#include <array>

#include "dial/DialAccess.h"
#include "qt/Kwind.h"

namespace {

// The first of the languages the user reads the desktop in.
Language UiLanguage() {
  const QStringList languages = QLocale::system().uiLanguages();
  return LanguageOfTag(languages.isEmpty() ? std::string() : languages.first().toStdString());
}

class WindDialAccessible : public QAccessibleWidget {
 public:
  explicit WindDialAccessible(TKWind* dial);
  ~WindDialAccessible() override;

  TKWind* dial() const { return static_cast<TKWind*>(widget()); }
  Language language() const { return language_; }

  QString text(QAccessible::Text t) const override;
  int childCount() const override { return kDialChildCount; }
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;
  QAccessibleInterface* focusChild() const override;

  // A rectangle in the dial's client pixels as screen coordinates.
  QRect OnScreen(const DialArea& area) const;

 private:
  const Language language_;
  std::array<QAccessible::Id, kDialChildCount> children_{};
};

// What the dial's children share: a part of the dial, without an object of its own.
class DialPartAccessible : public QAccessibleInterface {
 public:
  DialPartAccessible(WindDialAccessible* parent, int child) : parent_(parent), child_(child) {}

  bool isValid() const override { return parent_->isValid(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return parent_->window(); }
  QAccessibleInterface* parent() const override { return parent_; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QRect rect() const override { return parent_->OnScreen(ChildArea(child_)); }
  void setText(QAccessible::Text, const QString&) override {}

 protected:
  QString Name() const { return QString::fromUtf8(ChildName(parent_->language(), child_)); }
  // The dial, while it is there.
  TKWind* Dial() const { return isValid() ? parent_->dial() : nullptr; }

  WindDialAccessible* parent_;
  const int child_;
};

// A value as a spin button whose text is the value with its unit, as the value reads.
class DialValueAccessible : public DialPartAccessible,
                            public QAccessibleValueInterface,
                            public QAccessibleTextInterface {
 public:
  DialValueAccessible(WindDialAccessible* parent, int child)
      : DialPartAccessible(parent, child), rule_(RuleOf(*ValueOfChild(child))) {}

  QAccessible::Role role() const override { return QAccessible::SpinBox; }

  QString text(QAccessible::Text t) const override {
    switch (t) {
      case QAccessible::Name:
        return Name();
      case QAccessible::Value:
        return ValueText();
      case QAccessible::Description:
        return QString::fromUtf8(HowToChange(parent_->language(), rule_.value));
      default:
        return {};
    }
  }

  // Every value can take the focus; the current one has it while the dial has the keyboard.
  QAccessible::State state() const override {
    QAccessible::State s = parent_->state();
    s.focusable = true;
    s.focused = s.focused && Dial() != nullptr && Dial()->Current() == rule_.value;
    return s;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return nullptr;
  }

  QVariant currentValue() const override { return Value(); }
  QVariant minimumValue() const override { return rule_.minimum; }
  QVariant maximumValue() const override { return rule_.maximum; }
  QVariant minimumStepSize() const override { return rule_.step; }

  void setCurrentValue(const QVariant& value) override {
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (ok && Dial() != nullptr) SetFromScreenReader(*Dial(), rule_.value, v);
  }

  // The text cannot be edited, selected or scrolled; it has no caret but its start.
  QString text(int startOffset, int endOffset) const override {
    return ValueText().mid(startOffset, endOffset - startOffset);
  }
  int characterCount() const override { return static_cast<int>(ValueText().size()); }
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  void selection(int, int* startOffset, int* endOffset) const override {
    *startOffset = *endOffset = 0;
  }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int, int* startOffset, int* endOffset) const override {
    *startOffset = *endOffset = 0;
    return {};
  }

 private:
  int Value() const { return Dial() != nullptr ? Dial()->Value(rule_.value) : 0; }
  QString ValueText() const {
    return QString::fromStdString(::ValueText(parent_->language(), rule_.value, Value()));
  }

  const DialValueRule& rule_;
};

// A step button, which a reader presses as the mouse would.
class StepButtonAccessible : public DialPartAccessible, public QAccessibleActionInterface {
 public:
  using DialPartAccessible::DialPartAccessible;

  QAccessible::Role role() const override { return QAccessible::Button; }
  QString text(QAccessible::Text t) const override {
    return t == QAccessible::Name ? Name() : QString();
  }
  QAccessible::State state() const override {
    QAccessible::State s;
    s.invisible = parent_->state().invisible;
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
  }

  QStringList actionNames() const override { return {pressAction()}; }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }
  void doAction(const QString& action) override {
    if (action != pressAction() || Dial() == nullptr) return;
    const DialPoint at = ChildArea(child_).Centre();
    Dial()->Press(QPoint(at.x, at.y));
  }
};

WindDialAccessible::WindDialAccessible(TKWind* dial)
    : QAccessibleWidget(dial, QAccessible::Grouping), language_(UiLanguage()) {
  for (int i = 0; i < kDialChildCount; ++i) {
    QAccessibleInterface* part =
        ValueOfChild(i) ? static_cast<QAccessibleInterface*>(new DialValueAccessible(this, i))
                        : new StepButtonAccessible(this, i);
    children_[i] = QAccessible::registerAccessibleInterface(part);
  }
}

// The children have no object of their own for the cache to follow, so they go with the dial's.
WindDialAccessible::~WindDialAccessible() {
  for (QAccessible::Id id : children_) QAccessible::deleteAccessibleInterface(id);
}

QString WindDialAccessible::text(QAccessible::Text t) const {
  if (t == QAccessible::Name) return QString::fromUtf8(TextsIn(language_).dialName);
  if (t != QAccessible::Description) return QAccessibleWidget::text(t);
  const TKWind* d = dial();
  return QString::fromStdString(
      DialSummary(language_, d->course(), d->windDirection(), d->windSpeed()));
}

QAccessibleInterface* WindDialAccessible::child(int index) const {
  if (index < 0 || index >= kDialChildCount) return nullptr;
  return QAccessible::accessibleInterface(children_[index]);
}

int WindDialAccessible::indexOfChild(const QAccessibleInterface* child) const {
  for (int i = 0; i < kDialChildCount; ++i) {
    if (QAccessible::accessibleInterface(children_[i]) == child) return i;
  }
  return -1;
}

QAccessibleInterface* WindDialAccessible::childAt(int x, int y) const {
  const QPoint at = dial()->mapFromGlobal(QPoint(x, y));
  const auto found = ChildAt(at.x(), at.y());
  return found ? child(*found) : nullptr;
}

QAccessibleInterface* WindDialAccessible::focusChild() const {
  if (!dial()->hasFocus()) return nullptr;
  return child(ChildOfValue(dial()->Current()));
}

QRect WindDialAccessible::OnScreen(const DialArea& area) const {
  const QPoint topLeft = dial()->mapToGlobal(QPoint(area.left, area.top));
  return {topLeft, QSize(area.Width(), area.Height())};
}

// Nobody listens unless assistive technology is on; the interfaces are not worth building then.
QAccessibleInterface* ValueSpinBox(TKWind* dial, DialValue which) {
  if (!QAccessible::isActive()) return nullptr;
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(dial);
  return face != nullptr ? face->child(ChildOfValue(which)) : nullptr;
}

}  // namespace

QAccessibleInterface* WindDialAccessibleFactory(const QString&, QObject* object) {
  if (auto* dial = qobject_cast<TKWind*>(object)) return new WindDialAccessible(dial);
  return nullptr;
}

void NotifyDialFocus(TKWind* dial, DialValue which) {
  QAccessibleInterface* value = ValueSpinBox(dial, which);
  if (value == nullptr) return;
  QAccessibleEvent event(value, QAccessible::Focus);
  QAccessible::updateAccessibility(&event);
}

void NotifyDialValueChanged(TKWind* dial, DialValue which) {
  QAccessibleInterface* value = ValueSpinBox(dial, which);
  if (value == nullptr || value->valueInterface() == nullptr) return;
  QAccessibleValueChangeEvent changed(value, value->valueInterface()->currentValue());
  QAccessible::updateAccessibility(&changed);
  QAccessibleEvent described(dial, QAccessible::DescriptionChanged);
  QAccessible::updateAccessibility(&described);
}
