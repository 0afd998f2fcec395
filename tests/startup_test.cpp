// The start-up's hold on Qt's messages, which threads of Qt's own log into while the main thread
// lets them go, and the values of DISPLAY taken for an X display that answers: each such case
// listens where the values point, and once that socket is closed they reach nothing. The Wayland
// side is tried on a real compositor by wayland_test.sh.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QString>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "qt/DisplayReachable.h"
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

int Listen(int family, const void* address, socklen_t length) {
  const int fd = socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (bind(fd, static_cast<const sockaddr*>(address), length) == 0 && listen(fd, 16) == 0) {
    return fd;
  }
  close(fd);
  return -1;
}

// In Linux's abstract namespace, where X servers listen first, so that no file is left in the
// real /tmp/.X11-unix; its names start with a NUL and have no end mark.
int ListenAbstract(const std::string& name) {
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  name.copy(a.sun_path + 1, sizeof a.sun_path - 1);
  return Listen(AF_UNIX, &a, offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

int ListenTcp(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return Listen(AF_INET, &a, sizeof a);
}

bool Reachable(const std::string& display) {
  setenv("DISPLAY", display.c_str(), 1);
  unsetenv("WAYLAND_DISPLAY");
  return DisplayReachable();
}

// Listens on the first free display number in 4711.., then checks the names given for it.
template <class ListenOn, class Names>
void ExpectReachedOnlyWhileListening(ListenOn listen_on, Names names_for) {
  int number = 4711, fd = -1;
  while (fd < 0 && number < 4811) fd = listen_on(++number);
  ASSERT_GE(fd, 0);
  const std::vector<std::string> names = names_for(std::to_string(number));
  for (const std::string& d : names) EXPECT_TRUE(Reachable(d)) << d;
  close(fd);
  for (const std::string& d : names) EXPECT_FALSE(Reachable(d)) << d;
}

TEST(DisplayReachable, XDisplayByItsLocalSocketOrTcpPort) {
  ExpectReachedOnlyWhileListening(
      [](int n) { return ListenAbstract("/tmp/.X11-unix/X" + std::to_string(n)); },
      [](const std::string& n) -> std::vector<std::string> {
        return {":" + n, ":" + n + ".0", "unix:" + n, "unix/:" + n};
      });
  ExpectReachedOnlyWhileListening(
      [](int n) { return ListenTcp(6000 + n); },
      [](const std::string& n) -> std::vector<std::string> {
        return {":" + n, "127.0.0.1:" + n + ".0", "localhost:" + n, "tcp/127.0.0.1:" + n};
      });
  for (const char* unread : {"", "0", ":", ":x", ":0x", "localhost::0", "host:-1"}) {
    EXPECT_FALSE(Reachable(unread)) << unread;
  }
}

}  // namespace
