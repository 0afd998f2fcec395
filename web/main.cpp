// The entry point and the events the page forwards to the program, each through the application
// object's Dispatch. main returns at once and leaves the program to the browser's event loop.
#include <emscripten.h>

#include <memory>
#include <string>

#include "web/F01.h"
#include "web/Kwind.h"
#include "web/QuorelApp.h"

EM_JS(char16_t*, QuorelPagePath, (), {
  const path = decodeURIComponent(location.pathname);
  const size = (path.length + 1) * 2;
  const out = _malloc(size);
  stringToUTF16(path, out, size);
  return out;
});

namespace {

std::unique_ptr<TQuorelApplication> app;

// Events come only while the dial lives: Exit tears it down.
template <class F>
void ToDial(F handler) {
  if (FQuorel == nullptr || FQuorel->dial == nullptr) return;
  App().Dispatch([&] { handler(*FQuorel->dial); });
}

}  // namespace

TQuorelApplication& App() {
  return *app;
}

int main() {
  char16_t* path = QuorelPagePath();
  app = std::make_unique<TQuorelApplication>(path);
  free(path);
  FQuorel = new TFQuorel;
  return 0;
}

extern "C" {

// A key while the canvas has the focus; true when the dial took it.
EMSCRIPTEN_KEEPALIVE bool QuorelKey(const char* key) {
  const int code = TKWind::VirtualKey(key);
  if (code != 0) ToDial([code](TKWind& dial) { dial.KeyDown(code); });
  return code != 0;
}

EMSCRIPTEN_KEEPALIVE void QuorelPress(int x, int y) {
  ToDial([x, y](TKWind& dial) { dial.Press(x, y); });
}

EMSCRIPTEN_KEEPALIVE void QuorelFocus(bool in) {
  ToDial([in](TKWind& dial) { in ? dial.FocusIn() : dial.FocusOut(); });
}

EMSCRIPTEN_KEEPALIVE void QuorelPaint(int ratio) {
  ToDial([ratio](TKWind& dial) { dial.PaintAt(ratio); });
}

// Where the menu opens from the keyboard, x in the low 16 bits and y above.
EMSCRIPTEN_KEEPALIVE int QuorelKeyboardMenuPoint() {
  if (FQuorel == nullptr || FQuorel->dial == nullptr) return 0;
  const DialPoint at = FQuorel->dial->KeyboardMenuPoint();
  return at.x | (at.y << 16);
}

EMSCRIPTEN_KEEPALIVE void QuorelMenu(int tag) {
  if (FQuorel != nullptr) App().Dispatch([tag] { FQuorel->PopupMenuClick(tag); });
}
}
