// The application object: registers the window classes, knows the application title, runs the
// message loop and shows the standard exception report.
#pragma once

#include <windows.h>

#include <exception>
#include <string>
#include <string_view>

// The shared rules' UTF-16 texts as Win32 takes them (wchar_t is 16 bits wide there).
inline std::wstring Wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

class TQuorelApplication {
 public:
  // Registers the classes of the form and the dial and works out the title from the executable.
  void Initialize(HINSTANCE instance);
  // Until the main form has closed.
  void Run();

  // A modal box titled with the application title, a stop icon and OK. A report raised while one
  // is open (a paint failing again behind the box) goes to the debugger output instead.
  void ReportException(const std::exception_ptr& error);

  HINSTANCE Instance() const { return instance_; }
  const std::wstring& Title() const { return title_; }

 private:
  HINSTANCE instance_ = nullptr;
  std::wstring title_;
  bool reporting_ = false;
};

extern TQuorelApplication Application;
