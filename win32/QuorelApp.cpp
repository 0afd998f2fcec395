#include "win32/QuorelApp.h"

#include <commctrl.h>

#include <stdexcept>

#include "app/AppRules.h"
#include "win32/F01.h"
#include "win32/Kwind.h"

TQuorelApplication Application;

namespace {

// what() is UTF-8 from our own code; a runtime's message in the ANSI code page still shows.
std::wstring FromNarrow(const std::string& text) {
  for (const UINT page : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)}) {
    const DWORD flags = page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int size = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(page, flags, text.data(), size, nullptr, 0);
    if (units <= 0) continue;
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(page, flags, text.data(), size, wide.data(), units);
    return wide;
  }
  return {};
}

std::wstring ModuleFileName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

void TQuorelApplication::Initialize(HINSTANCE instance) {
  instance_ = instance;
  const std::wstring path = ModuleFileName();
  const std::u16string title = AppTitle(std::u16string(path.begin(), path.end()));
  title_ = Wide(title);
  // The manifest asks for the themed controls; the menu and the message boxes use them.
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (!TFQuorel::Register(instance) || !TKWind::Register(instance)) {
    throw std::runtime_error("The window classes could not be registered");
  }
}

void TQuorelApplication::Run() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void TQuorelApplication::ShowReport(const std::string& message) {
  MessageBoxW(GetActiveWindow(), FromNarrow(message).c_str(), title_.c_str(), MB_OK | MB_ICONSTOP);
}

void TQuorelApplication::LogReport(const std::string& message) {
  OutputDebugStringW((title_ + L": " + FromNarrow(message) + L"\n").c_str());
}
