#include "qt/QuorelApp.h"

#include <sched.h>

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

namespace {

// A new thread mostly starts on the processor of the thread that made it, and the two then took
// turns there through much of Qt's start-up while another processor stood idle: on two cores the
// warm-up slowed the GUI thread by a quarter. Kept off the GUI thread's processor, where the
// process may use another, it runs beside it instead.
void KeepOffProcessor(int cpu) {
  cpu_set_t allowed;
  if (cpu < 0 || sched_getaffinity(0, sizeof allowed, &allowed) != 0) return;
  if (!CPU_ISSET(cpu, &allowed) || CPU_COUNT(&allowed) < 2) return;
  CPU_CLR(cpu, &allowed);
  sched_setaffinity(0, sizeof allowed, &allowed);
}

}  // namespace

int RunQuorel(int argc, char** argv) {
  // The font configuration, the faces and the glyphs of the first frame load while Qt connects
  // to the display, not in the first paint.
  std::jthread warmUp([gui = sched_getcpu()] {
    KeepOffProcessor(gui);
    WarmUpDial();
  });
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
