#!/bin/sh
# Installs the Debian packages that the named make targets need, when any is missing, so that
# `make run` pulls in no test tools and `make test` no fuzzer, valgrind or benchmark library.
# Usage: scripts/setup.sh [--log FILE] TARGET...
#   TARGET: run, test, check, fuzz, leakcheck, bench, startup, package, windows, windows-test,
#           windows-bench, windows-package, or all
#   FILE: where apt's output goes (build/setup.log)
set -eu

# The program itself: the compiler, the turtle's font libraries, Qt and the fonts the dial uses.
run="g++ cmake make pkg-config libfreetype-dev libfontconfig-dev qt6-base-dev \
fonts-liberation2 fonts-ipafont-gothic"
# cpack: dpkg-shlibdeps works out the library dependencies, file finds what to strip.
package="$run dpkg-dev file"
# The suites (the accessibility one uses Qt's private API), the checks of the desktop entry, the
# metainfo and the package, zlib for the golden pictures, the 32-bit MinGW compiler the
# toolkit-free core is built with, and hardening-check (devscripts) for the program's hardening.
test="$package libgtest-dev qt6-base-private-dev zlib1g-dev desktop-file-utils appstream \
lintian g++-mingw-w64-i686 devscripts"
check="$test"
leakcheck="$test valgrind"
# Only the turtle, with clang's libFuzzer and sanitizer runtimes, and llvm-symbolizer so that a
# finding's stack names functions and lines.
fuzz="cmake make pkg-config libfreetype-dev libfontconfig-dev fonts-liberation2 \
fonts-ipafont-gothic clang libclang-rt-14-dev llvm"
bench="$run libbenchmark-dev"
# quorel.exe: the 32-bit MinGW-w64 compiler (posix threads) and icotool for its icon.
windows="cmake make g++-mingw-w64-i686-posix icoutils"
# Its tests under Wine: GoogleTest's sources and zlib built for MinGW, a virtual display with a
# window manager, the dial's fonts and a Japanese face for the menu. The 32-bit Wine itself is not
# installed: scripts/wine32.sh unpacks it and its i386 libraries into the build folder, with apt
# (always there) on a state of its own; fontconfig-config is the font setup it reads from /etc.
windows_test="$windows libgtest-dev libz-mingw-w64-dev xvfb xauth openbox fontconfig-config \
fonts-liberation2 fonts-ipafont-gothic"
# The frame timed under that Wine, with the dial's fonts.
windows_bench="$windows fontconfig-config fonts-liberation2"
# The installer and the portable archive; the installer is tried under that Wine.
windows_package="$windows nsis zip"
startup="$bench xvfb xauth"

root=$(cd "$(dirname "$0")/.." && pwd)
log="$root/build/setup.log"
if [ "${1:-}" = --log ]; then
  log=${2:?"setup: --log needs a file"}
  shift 2
fi
targets="run, test, check, fuzz, leakcheck, bench, startup, package, windows, windows-test, \
windows-bench, windows-package, all"
[ $# -gt 0 ] || { echo "usage: $0 [--log FILE] TARGET... ($targets)" >&2; exit 2; }

packages=""
for target in "$@"; do
  case $target in
    run) packages="$packages $run" ;;
    test) packages="$packages $test" ;;
    check) packages="$packages $check" ;;
    fuzz) packages="$packages $fuzz" ;;
    leakcheck) packages="$packages $leakcheck" ;;
    bench) packages="$packages $bench" ;;
    startup) packages="$packages $startup" ;;
    package) packages="$packages $package" ;;
    windows) packages="$packages $windows" ;;
    windows-test) packages="$packages $windows_test" ;;
    windows-bench) packages="$packages $windows_bench" ;;
    windows-package) packages="$packages $windows_package" ;;
    all) packages="$packages $leakcheck $fuzz $startup $windows_test $windows_package" ;;
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
echo "setup: installing$missing (log in $log)"
# Another apt may hold the lock for a while, so wait for it rather than fail at once.
apt="$sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 $native"
if ! { $apt update -qq && $apt install -y -qq --no-install-recommends $missing; } >"$log" 2>&1; then
  tail -n 20 "$log" >&2
  echo "setup: could not install$missing (see $log)" >&2
  exit 1
fi
