// Start-up probe shared by the start-up measurements: when the watched widget's first paint has
// been flushed, prints the wall-clock time and the peak resident size, then ends the program.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

class FirstFrameProbe : public QObject {
 public:
  explicit FirstFrameProbe(QWidget* watched) { watched->installEventFilter(this); }

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !seen_) {
      seen_ = true;
      // Queued behind the paint, so it runs once the frame has gone to the server.
      QTimer::singleShot(0, [] {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        std::printf("frame_ns=%lld hwm_kb=%ld\n",
                    static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec, PeakKb());
        std::fflush(stdout);
        QApplication::exit(0);
      });
    }
    return false;
  }

 private:
  static long PeakKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
  }
  bool seen_ = false;
};
