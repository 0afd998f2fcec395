#include "qt/StartupChecks.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "qt/DisplayReachable.h"
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

// Qt logs from its own threads too while it starts, and a message may still reach Hold() after
// ReleasePlatformMessages(), through the handler Qt had already read; the lock keeps the order.
std::mutex g_lock;
QtMessageHandler g_previous = nullptr;
bool g_holding = false;
std::vector<HeldMessage> g_held;

void Forward(const HeldMessage& m) {
  const QMessageLogContext context(m.file.c_str(), m.line, m.function.c_str(), m.category.c_str());
  g_previous(m.type, context, m.text);
}

void ForwardHeld() {
  for (const HeldMessage& m : g_held) Forward(m);
  g_held.clear();
}

// What a terminal is given to show: printable characters only, for Qt's messages repeat what the
// environment said, QT_QPA_PLATFORM among it.
std::string Printable(const QString& text) {
  std::u32string shown = text.toStdU32String();
  for (char32_t& c : shown) {
    if (!QChar::isPrint(c)) c = U'?';
  }
  return QString::fromStdU32String(shown).toLocal8Bit().toStdString();
}

// An environment variable as it may be shown on a terminal: printable ASCII, cut short.
std::string Shown(const char* name) {
  const QByteArray value = qgetenv(name);
  if (value.isNull()) return std::string(name) + " unset";
  std::string shown = std::string(name) + "=";
  for (char c : value.left(64)) shown += c >= 0x20 && c <= 0x7E ? c : '?';
  return shown;
}

std::string Environment() {
  std::string shown = Shown("DISPLAY") + ", " + Shown("WAYLAND_DISPLAY");
  if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) shown += ", " + Shown("QT_QPA_PLATFORM");
  return shown;
}

// Each line of a message on a line of its own, so that every line says whose it is.
void PutLines(const std::string& lead, const QString& text) {
  std::string out;
  for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
    out += "quorel: " + (out.empty() ? lead : std::string()) + Printable(line) + "\n";
  }
  std::fputs(out.c_str(), stderr);
}

// Qt gives up when no platform plugin started. With no display to be reached that is all there is
// to say; with one, the plugin is missing or failed, and Qt's own words held so far say why.
[[noreturn]] void NoPlatform(const QString& fatal) {
  if (!DisplayReachable()) {
    std::fputs(("quorel: no display could be opened (" + Environment() +
                "); start it in a desktop session, or under xvfb-run -a (Debian package xvfb)\n")
                   .c_str(),
               stderr);
  } else {
    std::fputs(("quorel: a display answers (" + Environment() +
                ") but Qt could not start a platform plugin; Qt says:\n")
                   .c_str(),
               stderr);
    for (const HeldMessage& m : g_held) {
      PutLines(m.category.empty() || m.category == "default" ? std::string() : m.category + ": ",
               m.text);
    }
    const QLatin1String available("Available platform plugins are: ");
    const qsizetype at = fatal.indexOf(available);
    if (at < 0) {
      PutLines({}, fatal);
    } else {
      PutLines("available platform plugins: ", fatal.mid(at + available.size()).trimmed());
    }
  }
  std::fflush(stderr);
  // Now, before Qt's abort(), and without running destructors of a half-made application.
  std::_Exit(1);
}

void Hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  HeldMessage message{type,
                      context.file ? context.file : "",
                      context.line,
                      context.function ? context.function : "",
                      context.category ? context.category : "",
                      text};
  const std::lock_guard lock(g_lock);
  if (!g_holding) {
    Forward(message);
    return;
  }
  if (type == QtFatalMsg && text.contains(QLatin1String("platform plugin"))) NoPlatform(text);
  g_held.push_back(std::move(message));
  // Any other fatal message ends the program too, and what led up to it is needed to read it.
  if (type == QtFatalMsg) {
    ForwardHeld();
    std::abort();
  }
}

}  // namespace

void HoldPlatformMessages() {
  const std::lock_guard lock(g_lock);
  g_previous = qInstallMessageHandler(Hold);
  g_holding = true;
}

void ReleasePlatformMessages() {
  // Only once the held messages are out, or a thread's next message could pass its earlier ones.
  const std::lock_guard lock(g_lock);
  ForwardHeld();
  g_holding = false;
  qInstallMessageHandler(g_previous);
}

void CheckMenuFont() {
  if (!PlatformHasFontFor("ja")) {
    std::fputs(
        "quorel: no font with Japanese characters is installed, so the menu's items show as "
        "boxes (the package fonts-ipafont-gothic has one)\n",
        stderr);
  }
}
