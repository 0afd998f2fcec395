#!/bin/sh
# Installs the Debian packages that the named make targets need, when any is missing, so that
# `make run` pulls in no test tools and `make test` no fuzzer, valgrind or benchmark library.
# Usage: scripts/setup.sh [--log FILE] TARGET...
#   TARGET: run, test, check, fuzz, leakcheck, orca, bench, startup, package, windows,
#           windows-test, windows-bench, windows-package, web, web-test, arm64, arm64-test,
#           package-arm64, armhf-test, or all
#   FILE: where apt's output goes (build/setup.log)
# Exits 75 when the packages could not be installed because the registry failed an index.
set -eu

# The program itself: the compiler, the turtle's font libraries, Qt and the fonts the dial uses.
program="g++ cmake make pkg-config libfreetype-dev libfontconfig-dev qt6-base-dev \
fonts-liberation2 fonts-ipafont-gothic"
# Where no display is, `make run` and the program itself advise xvfb-run, which needs xauth.
run="$program xvfb xauth"
# cpack: dpkg-shlibdeps works out the library dependencies, file finds what to strip.
package="$program dpkg-dev file"
# The suites (the accessibility one uses Qt's private API), the checks of the desktop entry, the
# metainfo and the package, zlib for the golden pictures, the 32-bit MinGW compiler the
# toolkit-free core is built with, hardening-check (devscripts) for the program's hardening, a
# live X display for the start-up messages, and a headless Wayland compositor with Qt's Wayland
# plugin for the window there.
test="$package libgtest-dev qt6-base-private-dev zlib1g-dev desktop-file-utils appstream \
lintian g++-mingw-w64-i686 devscripts xvfb weston qt6-wayland"
check="$test"
leakcheck="$test valgrind"
# Orca on a virtual display with a window manager, in a D-Bus session with the accessibility bus,
# and xdotool to type.
orca="$program xvfb xauth openbox dbus-daemon at-spi2-core orca xdotool"
# Only the turtle, with clang's libFuzzer and sanitizer runtimes, and llvm-symbolizer so that a
# finding's stack names functions and lines.
fuzz="cmake make pkg-config libfreetype-dev libfontconfig-dev fonts-liberation2 \
fonts-ipafont-gothic clang libclang-rt-14-dev llvm"
bench="$program libbenchmark-dev"
# quorel.exe: the 32-bit MinGW-w64 compiler (posix threads) and icotool for its icon.
windows="cmake make g++-mingw-w64-i686-posix icoutils"
# Its tests under Wine: GoogleTest's sources and zlib built for MinGW, a virtual display with a
# window manager, the dial's fonts and a Japanese face for the menu, and the sources of the
# Japanese locale that a run with a Japanese user interface compiles. The 32-bit Wine itself is not
# installed: scripts/wine32.sh unpacks it and its i386 libraries into the build folder, with apt
# (always there) on a state of its own; fontconfig-config is the font setup it reads from /etc.
windows_test="$windows libgtest-dev libz-mingw-w64-dev xvfb xauth openbox fontconfig-config \
fonts-liberation2 fonts-ipafont-gothic locales"
# The frame timed under that Wine, with the dial's fonts.
windows_bench="$windows fontconfig-config fonts-liberation2"
# The installer and the portable archive; the installer is tried under that Wine.
windows_package="$windows nsis zip"
startup="$bench xvfb xauth libx11-dev"
# The page: Debian's emscripten (with its prebuilt system libraries, so it needs no network), the
# font the page carries and fonttools' pyftsubset, which cuts it down; base64 (coreutils) puts the
# font in.
web="cmake make emscripten fonts-liberation2 fonttools"
# Its tests drive Debian's Chromium from Node.js, with puppeteer-core from npm. A Node.js from
# elsewhere (NodeSource's, say) brings its own npm and conflicts with Debian's package.
web_test="$web chromium nodejs"
command -v npm >/dev/null 2>&1 || web_test="$web_test npm"
# ARM, cross-built: Debian's cross compiler, and the machine's own Qt for its host tools (moc,
# rcc, and their CMake files in qt6-base-dev), in the version of the target's; dpkg-architecture
# (dpkg-dev) names the machine's library folder. The target's libraries are not installed:
# scripts/sysroot.sh unpacks Debian's arm64 or armhf packages into the build folder, with apt
# (always there) on a state of its own.
arm64="cmake make pkg-config dpkg-dev g++-aarch64-linux-gnu qt6-base-dev"
# Its suites under qemu-user (the test discovery at build time too), with the machine's fonts,
# and the checks `make test` has: the package's (file for cpack's strip, the desktop entry, the
# metainfo, lintian), hardening-check (devscripts), a live X display and a headless weston.
arm64_test="$arm64 qemu-user fontconfig-config fonts-liberation2 fonts-ipafont-gothic file \
desktop-file-utils appstream lintian devscripts xvfb weston"
# The package: the program with its suites, which the build runs under qemu-user to list them.
package_arm64="$arm64 qemu-user file desktop-file-utils appstream lintian"
# The toolkit-free suites, under qemu-user with the machine's fonts.
armhf_test="cmake make pkg-config dpkg-dev g++-arm-linux-gnueabihf qemu-user fontconfig-config \
fonts-liberation2 fonts-ipafont-gothic"

root=$(cd "$(dirname "$0")/.." && pwd)
log="$root/build/setup.log"
if [ "${1:-}" = --log ]; then
  log=${2:?"setup: --log needs a file"}
  shift 2
fi
targets="run, test, check, fuzz, leakcheck, orca, bench, startup, package, windows, windows-test, \
windows-bench, windows-package, web, web-test, arm64, arm64-test, package-arm64, armhf-test, all"
[ $# -gt 0 ] || { echo "usage: $0 [--log FILE] TARGET... ($targets)" >&2; exit 2; }

packages=""
for target in "$@"; do
  case $target in
    run) packages="$packages $run" ;;
    test) packages="$packages $test" ;;
    check) packages="$packages $check" ;;
    fuzz) packages="$packages $fuzz" ;;
    leakcheck) packages="$packages $leakcheck" ;;
    orca) packages="$packages $orca" ;;
    bench) packages="$packages $bench" ;;
    startup) packages="$packages $startup" ;;
    package) packages="$packages $package" ;;
    windows) packages="$packages $windows" ;;
    windows-test) packages="$packages $windows_test" ;;
    windows-bench) packages="$packages $windows_bench" ;;
    windows-package) packages="$packages $windows_package" ;;
    web) packages="$packages $web" ;;
    web-test) packages="$packages $web_test" ;;
    arm64) packages="$packages $arm64" ;;
    arm64-test) packages="$packages $arm64_test" ;;
    package-arm64) packages="$packages $package_arm64" ;;
    armhf-test) packages="$packages $armhf_test" ;;
    all)
      packages="$packages $leakcheck $fuzz $orca $startup $windows_test $windows_package $web_test \
$arm64_test $package_arm64 $armhf_test"
      ;;
    *)
      echo "setup: no target $target ($targets)" >&2
      exit 2
      ;;
  esac
done

missing=""
for p in $packages; do
  case " $missing " in *" $p "*) continue ;; esac
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  sudo=""
elif command -v sudo >/dev/null 2>&1; then
  sudo="sudo"
else
  echo "setup: missing packages:$missing; install them as root (apt-get install$missing)" >&2
  exit 1
fi

# Every package listed here is of the machine's own architecture, and so is apt's work: the index
# of a foreign one (i386, which this script used to add for Wine) cannot stop the update.
native="-o APT::Architectures=$(dpkg --print-architecture)"

mkdir -p "$(dirname "$log")"
: >"$log"
echo "setup: installing$missing (log in $log)"
# Another apt may hold the lock for a while, so wait for it rather than fail at once.
apt="$sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 $native"

# A mirror of the registry that is being synchronised serves an index that fails its check for a
# while, so the update is tried a few times. apt goes on with the lists it has, and the failed
# index may be one that no missing package needs, so the install is tried all the same.
tries=3
try=1
while :; do
  update_failed=""
  update=$($apt update -qq 2>&1) || update_failed=yes
  printf '%s\n' "$update" >>"$log"
  if [ -z "$update_failed" ] || [ "$try" -ge "$tries" ]; then break; fi
  echo "setup: apt-get update failed ($try of $tries tries), trying again in 20 s" >&2
  sleep 20
  try=$((try + 1))
done

# apt names each index it could not fetch on a line "E: Failed to fetch URL  reason" (W: where
# it only warns).
if [ -n "$update_failed" ]; then
  unfetched=$(printf '%s\n' "$update" | awk '/^[EW]: Failed to fetch /{print $5}' | sort -u |
    paste -s -d ' ' -)
  if [ -n "$unfetched" ]; then
    blame="the package registry did not serve $unfetched properly in $tries tries: a fault of \
the registry (such as a mirror being synchronised), not of Quorel"
  else
    blame="apt-get update failed: $(printf '%s\n' "$update" | awk '/^[EW]: /{print; exit}')"
  fi
fi

if ! $apt install -y -qq --no-install-recommends $missing >>"$log" 2>&1; then
  tail -n 20 "$log" >&2
  echo "setup: could not install$missing (see $log)" >&2
  [ -n "$update_failed" ] || exit 1
  echo "setup: $blame; try again later" >&2
  # Told apart from a fault of ours, so that a caller can say so or take another way.
  [ -n "$unfetched" ] && exit 75
  exit 1
fi
if [ -n "$update_failed" ]; then
  echo "setup: installed all the same, from older package lists; $blame" >&2
fi
