#include "qt/QuorelApp.h"

#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

#include "app/AppRules.h"
#include "qt/StartupChecks.h"

TQuorelApplication::TQuorelApplication(int& argc, char** argv)
    : QApplication(argc, argv),
      title_(QString::fromStdU16String(AppTitle(applicationFilePath().toStdU16String()))) {}

bool TQuorelApplication::notify(QObject* receiver, QEvent* event) {
  // Loading the icon's image and its plugins, or Qt's list of every installed font, would delay
  // the first frame, so both follow it.
  if (!firstPaintSeen_ && event->type() == QEvent::Paint) {
    firstPaintSeen_ = true;
    QTimer::singleShot(0, this, [this] {
      setWindowIcon(QIcon(QStringLiteral(":/quorel.png")));
      CheckMenuFont();
    });
  }
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ReportException(std::current_exception());
    return false;
  }
}

// A handler that throws on every paint would otherwise stack one report box on another, each
// box's own repaints raising the next; a report during a report goes to stderr instead.
void TQuorelApplication::ReportException(const std::exception_ptr& error) {
  const std::string message = ReportMessage(error);
  if (reporting_) {
    std::fprintf(stderr, "%s: %s\n", title_.toLocal8Bit().constData(), message.c_str());
    return;
  }
  reporting_ = true;
  QMessageBox box(QMessageBox::Critical, title_, QString::fromStdString(message), QMessageBox::Ok);
  box.exec();
  reporting_ = false;
}
