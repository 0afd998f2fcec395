#include "qt/QuorelApp.h"

#include <QAccessible>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <thread>

#include "app/AppRules.h"
#include "dial/WindDial.h"
#include "qt/F01.h"
#include "qt/KwindAccessible.h"
#include "qt/StartupChecks.h"

TQuorelApplication::TQuorelApplication(int& argc, char** argv, std::jthread warmUp)
    : QApplication(argc, argv),
      title_(QString::fromStdU16String(AppTitle(applicationFilePath().toStdU16String()))),
      warmUp_(std::move(warmUp)) {}

bool TQuorelApplication::notify(QObject* receiver, QEvent* event) {
  // Loading the icon's image and its plugins, or Qt's list of every installed font, would delay
  // the first frame, so both follow it.
  if (!firstPaintSeen_ && event->type() == QEvent::Paint) {
    firstPaintSeen_ = true;
    // Text is only ever drawn by one thread at a time, so the paint takes over from the warm-up.
    if (warmUp_.joinable()) warmUp_.join();
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

void TQuorelApplication::ShowReport(const std::string& message) {
  QMessageBox box(QMessageBox::Critical, title_, QString::fromStdString(message), QMessageBox::Ok);
  box.exec();
}

void TQuorelApplication::LogReport(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", title_.toLocal8Bit().constData(), message.c_str());
}

int RunQuorel(int argc, char** argv) {
  // The font configuration, the faces and the glyphs of the first frame load while Qt connects
  // to the display, not in the first paint.
  std::jthread warmUp(WarmUpDial);
  HoldPlatformMessages();
  TQuorelApplication app(argc, argv, std::move(warmUp));
  ReleasePlatformMessages();
  // Wayland compositors match the window to its desktop entry by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quorel.Quorel"));
  // Before any widget exists, so the dial's interface is never answered by a generic one.
  QAccessible::installFactory(WindDialAccessibleFactory);
  try {
    FQuorel = new TFQuorel;
    FQuorel->show();
    app.exec();
  } catch (...) {
    app.ReportException(std::current_exception());
  }
  delete FQuorel;
  FQuorel = nullptr;
  return 0;
}
