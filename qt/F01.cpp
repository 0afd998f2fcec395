#include "qt/F01.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <climits>

#include "app/AppRules.h"
#include "app/ClientSize.h"
#include "qt/Kwind.h"
#include "qt/QuorelApp.h"

TFQuorel* FQuorel = nullptr;

namespace {

QString FromUtf16(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

WindowShow Show(Qt::WindowStates state) {
  if (state & Qt::WindowMinimized) return WindowShow::Minimised;
  if (state & Qt::WindowFullScreen) return WindowShow::FullScreen;
  if (state & Qt::WindowMaximized) return WindowShow::Maximised;
  return WindowShow::Normal;
}

QString Title() {
  auto* app = qobject_cast<TQuorelApplication*>(QCoreApplication::instance());
  return app != nullptr ? app->Title() : QString();
}

}  // namespace

TFQuorel::TFQuorel(QWidget* parent) : QWidget(parent) {
  setWindowTitle(FromUtf16(kFormCaption));
  QFont tahoma(QStringLiteral("Tahoma"));
  tahoma.setPixelSize(11);
  setFont(tahoma);
  setBackgroundRole(QPalette::Button);
  setAutoFillBackground(true);
  const Extent initial = InitialClientSize(Room());
  resize(initial.width, initial.height);

  PopupMenu = new QMenu(this);
  auto addItem = [this](const MenuItem& item) {
    QAction* action = PopupMenu->addAction(FromUtf16(item.caption));
    action->setData(item.tag);
    return action;
  };
  PMenuAbout = addItem(kPopupMenu[0]);
  PMenuExit = addItem(kPopupMenu[1]);
  connect(PopupMenu, &QMenu::aboutToShow, this, [this] { PopupMenuClick(0); });
  connect(PopupMenu, &QMenu::triggered, this,
          [this](QAction* item) { PopupMenuClick(item->data().toInt()); });

  // A failure here is reported and the window is still built, without whatever failed.
  try {
    FormCreate();
  } catch (...) {
    if (auto* app = qobject_cast<TQuorelApplication*>(QCoreApplication::instance())) {
      app->ReportException(std::current_exception());
    }
  }
}

void TFQuorel::FormCreate() {
  // The dial keeps its own size, whatever the screen allowed the form, so that it shows whole
  // once the form has room for it.
  dial = new TKWind(this);
  // Qt would give the first widget that takes Tab the focus when the window is first activated;
  // the form keeps it, so the dial gets the keys only from a press or Tab.
  setFocus();
}

void TFQuorel::FormClose() {
  delete dial;
  dial = nullptr;
}

void TFQuorel::FormResize() {
  if (const auto snap = SnapBackClientSize(Show(windowState()), {width(), height()}, Room())) {
    resize(snap->width, snap->height);
  }
}

// In logical pixels, as the form is sized. Before the window is on the screen its frame is not
// known; without a screen nothing bounds the window.
ScreenRoom TFQuorel::Room() const {
  const QSize frame = frameGeometry().size() - size();
  const QScreen* on = screen();
  const QSize area = on != nullptr ? on->availableGeometry().size() : QSize(INT_MAX, INT_MAX);
  return {{area.width(), area.height()}, {frame.width(), frame.height()}};
}

QString TFQuorel::AboutText() {
  return FromUtf16(kAboutText);
}

void TFQuorel::ShowAbout() {
  QMessageBox box(QMessageBox::NoIcon, Title(), AboutText(), QMessageBox::Ok, this);
  box.exec();
}

void TFQuorel::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TFQuorel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FormResize();
}

void TFQuorel::contextMenuEvent(QContextMenuEvent* event) {
  if (event->reason() == QContextMenuEvent::Keyboard) {
    PopupFromKeyboard();
  } else {
    PopupMenu->popup(event->globalPos());
  }
}

// The platform turns the menu key into a context-menu event itself; Shift+F10 it leaves as a key.
void TFQuorel::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
    PopupFromKeyboard();
  } else {
    QWidget::keyPressEvent(event);
  }
}

void TFQuorel::PopupFromKeyboard() {
  const DialPoint at = dial != nullptr ? dial->KeyboardMenuPoint() : DialPoint{0, 0};
  PopupMenu->popup(mapToGlobal(QPoint(at.x, at.y)));
  PopupMenu->setActiveAction(PMenuAbout);
}
