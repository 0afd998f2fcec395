#include "qt/StartupChecks.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "turtle/FontEngine.h"

namespace {

struct HeldMessage {
  QtMsgType type;
  std::string file;
  int line;
  std::string function;
  std::string category;
  QString text;
};

QtMessageHandler g_previous = nullptr;
std::vector<HeldMessage> g_held;

// An environment variable as it may be shown on a terminal: printable ASCII, cut short.
std::string Shown(const char* name) {
  const QByteArray value = qgetenv(name);
  if (value.isNull()) return std::string(name) + " unset";
  std::string shown = std::string(name) + "=";
  for (char c : value.left(64)) shown += c >= 0x20 && c <= 0x7E ? c : '?';
  return shown;
}

void Hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  // Qt's words when no platform plugin could start: without a display that is every plugin.
  if (type == QtFatalMsg && text.contains(QLatin1String("platform plugin"))) {
    std::string line =
        "quorel: no display could be opened (" + Shown("DISPLAY") + ", " + Shown("WAYLAND_DISPLAY");
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) line += ", " + Shown("QT_QPA_PLATFORM");
    line += "); start it in a desktop session, or under xvfb-run\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    // Now, before Qt's abort(), and without running destructors of a half-made application.
    std::_Exit(1);
  }
  if (type == QtFatalMsg) {
    if (g_previous) g_previous(type, context, text);
    std::abort();
  }
  g_held.push_back({type, context.file ? context.file : "", context.line,
                    context.function ? context.function : "",
                    context.category ? context.category : "", text});
}

}  // namespace

void HoldPlatformMessages() {
  g_previous = qInstallMessageHandler(Hold);
}

void ReleasePlatformMessages() {
  qInstallMessageHandler(g_previous);
  for (const HeldMessage& m : g_held) {
    const QMessageLogContext context(m.file.c_str(), m.line, m.function.c_str(),
                                     m.category.c_str());
    if (g_previous) {
      g_previous(m.type, context, m.text);
    } else {
      qt_message_output(m.type, context, m.text);
    }
  }
  g_held.clear();
}

void CheckMenuFont() {
  if (!PlatformHasFontFor("ja")) {
    std::fputs(
        "quorel: no font with Japanese characters is installed, so the menu's items show as "
        "boxes (the package fonts-ipafont-gothic has one)\n",
        stderr);
  }
}
