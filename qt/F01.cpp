#include "qt/F01.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>

#include "app/AppRules.h"
#include "qt/Kwind.h"
#include "qt/QuorelApp.h"

TFQuorel* FQuorel = nullptr;

namespace {

QString FromUtf16(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
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
  resize(kClientSize, kClientSize);

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
  dial = new TKWind(this);
  dial->resize(width(), height());
  // Qt would give the first widget that takes Tab the focus when the window is first activated;
  // the form keeps it, so the dial gets the keys only from a press or Tab.
  setFocus();
}

void TFQuorel::FormClose() {
  delete dial;
  dial = nullptr;
}

// Snaps the client area back to 300 x 300; a resize to the current size raises no further event,
// which ends the chain. A maximised or full-screen window keeps the dial at the top-left.
void TFQuorel::FormResize() {
  if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) return;
  if (size() != QSize(kClientSize, kClientSize)) resize(kClientSize, kClientSize);
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
