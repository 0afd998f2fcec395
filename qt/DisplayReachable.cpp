#include "qt/DisplayReachable.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstddef>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// A far host that drops packets would otherwise hold the program's exit for minutes.
constexpr int kConnectTimeoutMs = 2000;

bool Connects(int family, const sockaddr* address, socklen_t length) {
  const int fd = socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool connected = connect(fd, address, length) == 0;
  // A local server whose queue is full is there all the same.
  if (!connected && errno == EAGAIN) connected = family == AF_UNIX;
  if (!connected && errno == EINPROGRESS) {
    pollfd wait{fd, POLLOUT, 0};
    int error = 0;
    socklen_t size = sizeof error;
    connected = poll(&wait, 1, kConnectTimeoutMs) == 1 &&
                getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
  }
  close(fd);
  return connected;
}

// A leading NUL names a socket in Linux's abstract namespace, where X servers listen first.
bool UnixConnects(std::string_view path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) return false;
  path.copy(address.sun_path, path.size());
  const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() +
                                             (path.front() == '\0' ? 0 : 1));
  return Connects(AF_UNIX, reinterpret_cast<const sockaddr*>(&address), length);
}

bool TcpConnects(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
  bool connected = false;
  for (const addrinfo* a = found; a != nullptr && !connected; a = a->ai_next) {
    connected = Connects(a->ai_family, a->ai_addr, a->ai_addrlen);
  }
  freeaddrinfo(found);
  return connected;
}

// Reads DISPLAY as libxcb does: [protocol/][host]:number[.screen], a local socket when the host is
// empty or "unix" or the protocol is unix, TCP port 6000 + number otherwise. A name xcb could not
// read (DECnet's "host::0" among them) reaches nothing.
bool XReachable(std::string_view display) {
  std::string_view protocol;
  if (const auto slash = display.find('/'); slash != std::string_view::npos) {
    protocol = display.substr(0, slash);
    display.remove_prefix(slash + 1);
  }
  const auto colon = display.rfind(':');
  if (colon == std::string_view::npos) return false;
  std::string_view host = display.substr(0, colon);
  std::string_view rest = display.substr(colon + 1);
  rest = rest.substr(0, rest.find('.'));
  int number = -1;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
  if (error != std::errc() || end != rest.data() + rest.size() || number < 0 ||
      number > 65535 - 6000 || (!host.empty() && host.back() == ':')) {
    return false;
  }
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  }
  const int port = 6000 + number;
  if (protocol == "unix" || (protocol.empty() && (host.empty() || host == "unix"))) {
    const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
    if (UnixConnects(std::string(1, '\0') + path) || UnixConnects(path)) return true;
    // As xcb does, ":0" with no local socket still tries the machine's own TCP port.
    return protocol.empty() && host.empty() && TcpConnects("localhost", port);
  }
  return TcpConnects(std::string(host), port);
}

bool WaylandReachable(std::string_view name) {
  if (name.front() == '/') return UnixConnects(name);
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return runtime != nullptr && *runtime == '/' &&
         UnixConnects(std::string(runtime) + "/" + std::string(name));
}

}  // namespace

bool DisplayReachable() {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x != nullptr && *x != '\0' && XReachable(x)) ||
         (wayland != nullptr && *wayland != '\0' && WaylandReachable(wayland));
}
