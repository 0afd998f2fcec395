// The start-up's hold on Qt's messages, which threads of Qt's own log into while the main thread
// lets them go.
#include <gtest/gtest.h>

#include <QString>
#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "qt/StartupChecks.h"

namespace {

std::mutex seen_lock;
std::map<int, std::vector<int>> seen;  // by thread, the numbers of its messages as they came

void Note(QtMsgType, const QMessageLogContext&, const QString& text) {
  const std::lock_guard lock(seen_lock);
  seen[text.section(u' ', 0, 0).toInt()].push_back(text.section(u' ', 1, 1).toInt());
}

TEST(StartupMessages, EveryMessageOfEveryThreadIsPassedOnOnceAndInOrder) {
  constexpr int kThreads = 4, kEach = 20000;
  const QtMessageHandler before = qInstallMessageHandler(Note);
  HoldPlatformMessages();
  std::atomic<int> logged = 0;
  std::vector<std::jthread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &logged] {
      for (int i = 0; i < kEach; ++i, ++logged) qWarning("%d %d", t, i);
    });
  }
  // Let go while they log, so that some messages come before, some during and some after.
  while (logged < kThreads * kEach / 2) std::this_thread::yield();
  ReleasePlatformMessages();
  threads.clear();
  qInstallMessageHandler(before);
  ASSERT_EQ(seen.size(), size_t{kThreads});
  for (const auto& [t, numbers] : seen) {
    ASSERT_EQ(numbers.size(), size_t{kEach}) << "thread " << t;
    for (int i = 0; i < kEach; ++i) ASSERT_EQ(numbers[i], i) << "thread " << t;
  }
}

}  // namespace
