# 64-bit ARM, Debian's arm64 (a Raspberry Pi 3, 4 or 5 with a 64-bit system), with Debian's
# g++-aarch64-linux-gnu; the tests run under qemu-aarch64. `make arm64-test` configures
# build-arm64/ with this file.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(QUOREL_TRIPLET aarch64-linux-gnu)
set(QUOREL_DEBIAN_ARCH arm64)
# qemu's own processor with everything it emulates, the program's pointer authentication too, but
# with the faster of the two ciphers it can sign pointers with: the architecture's QARMA takes
# most of the tests' time under qemu and proves nothing more.
set(QUOREL_QEMU qemu-aarch64 -cpu max,pauth-impdef=on)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
