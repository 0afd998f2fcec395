#include <float.h>
#include <windows.h>

#include "win32/F01.h"
#include "win32/QuorelApp.h"

// Windows may start a 32-bit process with the x87 rounding to a 53-bit mantissa; the turtle's
// steps and the centring of rotated text are defined with 64 bits.
static void UseExtendedPrecision() {
#if defined(__i386__)
  _controlfp(_PC_64, _MCW_PC);
#endif
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  UseExtendedPrecision();
  try {
    Application.Initialize(instance);
    // A top-level window without an owner is the one with the task-bar button.
    FQuorel = new TFQuorel(instance);
    FQuorel->Show(show);
    Application.Run();
  } catch (...) {
    Application.ReportException(std::current_exception());
  }
  delete FQuorel;
  FQuorel = nullptr;
  return 0;
}
