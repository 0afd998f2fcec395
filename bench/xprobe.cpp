// Start-up as the user sees it: starts a program and watches, as a separate X client, for its
// first top-level window to show the given pixels on the X server.
//   xprobe X,Y,RRGGBB... -- PROGRAM [ARG...]
// Prints "<ms to the pixels> <ms to the window's map> <peak resident kB>", the times from just
// before the program's process was forked, the peak resident size read when the pixels are seen;
// then ends the program and waits until its window has gone. Exits 1, printing nothing on stdout,
// when the program exits or shows no such pixels within 10 s.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Check {
  int x;
  int y;
  unsigned long rgb;
};

double NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The program's windows come and go under the probe: reading one that is not, or no longer,
// viewable is an error to be tried again, not a reason to stop.
int IgnoreError(Display*, XErrorEvent*) {
  return 0;
}

long PeakKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// The window's _NET_WM_PID, which Qt sets before it maps a window; 0 when there is none.
pid_t WindowPid(Display* display, Window window) {
  static const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  pid_t pid = 0;
  if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                         &after, &data) == Success &&
      data != nullptr) {
    if (type == XA_CARDINAL && format == 32 && count == 1) {
      pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
    }
    XFree(data);
  }
  return pid;
}

bool Shows(Display* display, Window window, const std::vector<Check>& checks) {
  for (const Check& c : checks) {
    XImage* image = XGetImage(display, window, c.x, c.y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    if (pixel != c.rgb) return false;
  }
  return true;
}

// Kills the program, then waits for its window to leave the screen, so that the next run starts
// on the bare root.
void End(Display* display, pid_t child, Window window) {
  if (waitpid(child, nullptr, WNOHANG) == 0) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
  }
  const double deadline = NowMs() + 2000;
  while (window != None && NowMs() < deadline) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == DestroyNotify && event.xdestroywindow.window == window) window = None;
    }
    if (window != None) usleep(1000);
  }
  XSync(display, False);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<Check> checks;
  int at = 1;
  for (; at < argc && std::strcmp(argv[at], "--") != 0; ++at) {
    Check c{};
    char end = 0;
    if (std::sscanf(argv[at], "%d,%d,%lx%c", &c.x, &c.y, &c.rgb, &end) != 3) {
      std::fprintf(stderr, "xprobe: not X,Y,RRGGBB: %s\n", argv[at]);
      return 2;
    }
    checks.push_back(c);
  }
  if (checks.empty() || at + 1 >= argc) {
    std::fprintf(stderr, "usage: xprobe X,Y,RRGGBB... -- PROGRAM [ARG...]\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "xprobe: cannot open the display\n");
    return 2;
  }
  XSetErrorHandler(IgnoreError);
  const Window root = DefaultRootWindow(display);
  XSelectInput(display, root, SubstructureNotifyMask);
  // A root of a colour neither program draws, so that a window shows the pixels only once the
  // program has drawn them, not while it still shows what lay beneath.
  XSetWindowBackground(display, root, 0xFF00FF);
  XClearWindow(display, root);
  XSync(display, False);

  const double start = NowMs();
  const pid_t child = fork();
  if (child < 0) return 2;
  if (child == 0) {
    execvp(argv[at + 1], argv + at + 1);
    std::perror(argv[at + 1]);
    _exit(127);
  }

  // No window manager: the program's top-level window is mapped straight on the root, and
  // nothing else maps one meanwhile.
  const double deadline = start + 10000;
  Window window = None;
  double mapped = 0;
  while (NowMs() < deadline && waitpid(child, nullptr, WNOHANG) == 0) {
    if (window == None) {
      // Asleep until the server has news, so that the probe takes no processor from the start-up
      // it times; awake now and then to see whether the program has died.
      pollfd news{ConnectionNumber(display), POLLIN, 0};
      if (XPending(display) == 0) poll(&news, 1, 10);
    }
    while (window == None && XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      const double at = NowMs();
      if (event.type == MapNotify && event.xmap.event == root &&
          WindowPid(display, event.xmap.window) == child) {
        window = event.xmap.window;
        mapped = at;
      }
    }
    if (window != None && Shows(display, window, checks)) {
      const double seen = NowMs();
      const long kb = PeakKb(child);
      std::printf("%.2f %.2f %ld\n", seen - start, mapped - start, kb);
      End(display, child, window);
      return 0;
    }
    // Each look is a round trip through the server that both programs share the machine with;
    // a millisecond apart keeps the probe's own load small against a start-up of tens of them.
    if (window != None) usleep(1000);
  }
  std::fprintf(stderr, "xprobe: %s showed no such pixels within 10 s\n", argv[at + 1]);
  End(display, child, window);
  return 1;
}
