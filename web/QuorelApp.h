// TQuorelApplication: the page's application object. The browser's event loop delivers the page's
// events; each reaches the program through Dispatch, which reports an exception that escapes it
// and lets the page go on.
#pragma once

#include <exception>
#include <functional>
#include <string>

#include "app/Report.h"

class TQuorelApplication final : public ExceptionReporter {
 public:
  // pagePath is the page's own path, which names the application as an executable's would.
  explicit TQuorelApplication(const std::u16string& pagePath);

  const std::u16string& Title() const { return title_; }
  void Dispatch(const std::function<void()>& handler);

 protected:
  void ShowReport(const std::string& message) override;
  void LogReport(const std::string& message) override;

 private:
  std::u16string title_;
};

// The one application object, made by main.
TQuorelApplication& App();
