#include <QAccessible>
#include <thread>

#include "qt/F01.h"
#include "qt/KwindAccessible.h"
#include "qt/QuorelApp.h"
#include "qt/StartupChecks.h"
#include "turtle/FontEngine.h"

int main(int argc, char** argv) {
  // The font configuration loads while Qt connects to the display, not in the first paint.
  const std::jthread fonts(WarmUpFontEngine);
  HoldPlatformMessages();
  TQuorelApplication app(argc, argv);
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
  return 0;
}
