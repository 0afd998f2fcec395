#include "app/Report.h"

std::string ReportMessage(const std::exception_ptr& error) {
  std::string message;
  std::exception_ptr current = error;
  while (current) {
    try {
      std::rethrow_exception(current);
    } catch (const std::exception& e) {
      const char* what = e.what();
      if (what != nullptr && *what != '\0') message = what;
      // A nested_exception made outside any handler holds nothing; rethrowing it terminates.
      const auto* nested = dynamic_cast<const std::nested_exception*>(&e);
      current = nested != nullptr ? nested->nested_ptr() : nullptr;
    } catch (...) {
      current = nullptr;
    }
  }
  // Bytes of non-ASCII characters are all above '.', as their code points are.
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  return message;
}

void ExceptionReporter::ReportException(const std::exception_ptr& error) {
  const std::string message = ReportMessage(error);
  if (showing_) {
    LogReport(message);
    return;
  }
  // Cleared however the box ends, so one failed box does not send every later report to the log.
  struct Showing {
    bool& flag;
    explicit Showing(bool& f) : flag(f) { flag = true; }
    ~Showing() { flag = false; }
  } showing(showing_);
  ShowReport(message);
}
