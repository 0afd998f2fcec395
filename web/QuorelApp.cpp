#include "web/QuorelApp.h"

#include <emscripten.h>

#include <cstdio>

#include "app/AppRules.h"

EM_JS(void, QuorelShowReport, (const char16_t* title, const char* message),
      { quorelShell.showMessage(UTF16ToString(title), UTF8ToString(message), true); });

TQuorelApplication::TQuorelApplication(const std::u16string& pagePath)
    : title_(AppTitle(pagePath)) {}

void TQuorelApplication::Dispatch(const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    ReportException(std::current_exception());
  }
}

// The browser does not wait for a modal box, so the page itself logs a report that comes while
// one shows rather than pile the boxes up.
void TQuorelApplication::ShowReport(const std::string& message) {
  QuorelShowReport(title_.c_str(), message.c_str());
}

void TQuorelApplication::LogReport(const std::string& message) {
  std::fprintf(stderr, "quorel: %s\n", message.c_str());
}
