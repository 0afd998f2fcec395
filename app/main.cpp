#include <QAccessible>

#include "app/F01.h"
#include "app/QuorelApp.h"
#include "app/StartupChecks.h"
#include "dial/KwindAccessible.h"

int main(int argc, char** argv) {
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
    CheckMenuFont();
    app.exec();
  } catch (...) {
    app.ReportException(std::current_exception());
  }
  delete FQuorel;
  return 0;
}
