// The application object: runs every event inside a catch, so an exception escaping a handler is
// reported and the event loop goes on.
#pragma once

#include <QApplication>
#include <exception>

class TQuorelApplication : public QApplication {
  Q_OBJECT

 public:
  TQuorelApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // The standard report: a modal box titled with the application title, a stop icon and OK.
  void ReportException(const std::exception_ptr& error);

  QString Title() const { return title_; }

 private:
  QString title_;
  bool reporting_ = false;
  bool firstPaintSeen_ = false;
};
