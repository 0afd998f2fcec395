// The application object: runs every event inside a catch, so an exception escaping a handler is
// reported and the event loop goes on.
#pragma once

#include <QApplication>
#include <thread>

#include "app/Report.h"

class TQuorelApplication : public QApplication, public ExceptionReporter {
  Q_OBJECT

 public:
  // warmUp, if any, fills the process's fonts and glyphs until the first paint, which waits for
  // it.
  TQuorelApplication(int& argc, char** argv, std::jthread warmUp = {});

  bool notify(QObject* receiver, QEvent* event) override;

  QString Title() const { return title_; }

 protected:
  void ShowReport(const std::string& message) override;
  void LogReport(const std::string& message) override;

 private:
  QString title_;
  bool firstPaintSeen_ = false;
  std::jthread warmUp_;
};

// The program from start to end: the application object, the main form shown, the event loop
// until the form closes; 0 however it ends.
int RunQuorel(int argc, char** argv);
