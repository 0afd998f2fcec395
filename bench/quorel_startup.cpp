// Quorel's own start-up, as app/main.cpp runs it, ending at the dial's first complete frame.
#include <QAccessible>
#include <thread>

#include "bench/FirstFrame.h"
#include "qt/F01.h"
#include "qt/Kwind.h"
#include "qt/KwindAccessible.h"
#include "qt/QuorelApp.h"
#include "qt/StartupChecks.h"
#include "turtle/FontEngine.h"

int main(int argc, char** argv) {
  const std::jthread fonts(WarmUpFontEngine);
  HoldPlatformMessages();
  TQuorelApplication app(argc, argv);
  ReleasePlatformMessages();
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quorel.Quorel"));
  QAccessible::installFactory(WindDialAccessibleFactory);
  FQuorel = new TFQuorel;
  FirstFrameProbe probe(FQuorel->dial);
  FQuorel->show();
  app.exec();
  delete FQuorel;
  return 0;
}
