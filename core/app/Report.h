// The standard report of an exception that escapes a handler: a modal box with its message.
#pragma once

#include <exception>
#include <string>

// The message of the innermost nested exception that has a non-empty one, with "." appended when
// its last character's code is above that of "."; empty for anything not a std::exception. UTF-8,
// as what() gives it.
std::string ReportMessage(const std::exception_ptr& error);

// Reports at most one exception at a time. A report raised while one is showing (a handler that
// fails on every paint fails again behind the box) goes to the log instead, so boxes never pile up.
class ExceptionReporter {
 public:
  void ReportException(const std::exception_ptr& error);

 protected:
  ~ExceptionReporter() = default;
  // The shell's modal box, titled with the application title, with a stop icon and OK.
  virtual void ShowReport(const std::string& message) = 0;
  virtual void LogReport(const std::string& message) = 0;

 private:
  bool showing_ = false;
};
