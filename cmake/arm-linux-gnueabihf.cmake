# 32-bit ARM with hardware floating point, Debian's armhf (ARMv7: a Raspberry Pi 2, 3 or 4 with a
# 32-bit system), with Debian's g++-arm-linux-gnueabihf; the tests run under qemu-arm.
# `make armhf-test` configures build-armhf/ with this file.
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(QUOREL_TRIPLET arm-linux-gnueabihf)
set(QUOREL_DEBIAN_ARCH armhf)
set(QUOREL_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
