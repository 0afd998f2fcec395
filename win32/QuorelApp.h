// The application object: registers the window classes, knows the application title, runs the
// message loop and shows the standard exception report.
#pragma once

#include <windows.h>

#include <exception>
#include <string>
#include <string_view>

#include "app/Report.h"

// The shared rules' UTF-16 texts as Win32 takes them (wchar_t is 16 bits wide there).
inline std::wstring Wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

class TQuorelApplication : public ExceptionReporter {
 public:
  // Registers the classes of the form and the dial and works out the title from the executable.
  void Initialize(HINSTANCE instance);
  // Until the main form has closed.
  void Run();

  HINSTANCE Instance() const { return instance_; }
  const std::wstring& Title() const { return title_; }

 protected:
  void ShowReport(const std::string& message) override;
  // To the debugger's output.
  void LogReport(const std::string& message) override;

 private:
  HINSTANCE instance_ = nullptr;
  std::wstring title_;
};

extern TQuorelApplication Application;

// The window procedure of the program's windows: the object handed to CreateWindowExW gets the
// window's messages through its Dispatch, and an exception escaping one message is reported and
// the message loop goes on.
template <class Window>
LRESULT CALLBACK DispatchToObject(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_NCCREATE) {
    auto* object = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    object->handle_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
  }
  auto* object = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!object) return DefWindowProcW(window, message, wp, lp);
  try {
    return object->Dispatch(message, wp, lp);
  } catch (...) {
    Application.ReportException(std::current_exception());
    return 0;
  }
}
