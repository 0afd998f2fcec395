# What the ARM toolchain files share: Debian's cross compiler for QUOREL_TRIPLET, the target's
# libraries from Debian's own QUOREL_DEBIAN_ARCH packages unpacked into a sysroot of the build
# folder (scripts/sysroot.sh), Qt's host tools (moc, rcc) from the machine's own Qt, and the
# tests run under qemu-user with the sysroot as the root of the libraries they load.
#
# The sysroot is BUILD_DIR/sysroot unless QUOREL_SYSROOT names another; `make arm64-test`,
# `make armhf-test` and `make package-arm64` make it first.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${QUOREL_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${QUOREL_TRIPLET}-g++)

# Read again for every try_compile, in a scratch folder of its own: the sysroot goes with it.
if(NOT QUOREL_SYSROOT)
  set(QUOREL_SYSROOT ${CMAKE_BINARY_DIR}/sysroot CACHE PATH "The target's libraries")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUOREL_SYSROOT)
if(NOT EXISTS ${QUOREL_SYSROOT}/usr/include/${QUOREL_TRIPLET})
  message(FATAL_ERROR "No ${QUOREL_DEBIAN_ARCH} libraries in ${QUOREL_SYSROOT}: make them with "
                      "scripts/sysroot.sh ${QUOREL_DEBIAN_ARCH} ${QUOREL_SYSROOT} PACKAGE... "
                      "(the make targets do)")
endif()
set(CMAKE_SYSROOT ${QUOREL_SYSROOT})

# Libraries, headers and packages from the sysroot alone, programs from the machine.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config (FreeType, fontconfig) reads the target's .pc files and prefixes their paths.
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${CMAKE_SYSROOT})
set(ENV{PKG_CONFIG_LIBDIR}
    ${CMAKE_SYSROOT}/usr/lib/${QUOREL_TRIPLET}/pkgconfig:${CMAKE_SYSROOT}/usr/share/pkgconfig)

# moc and rcc run here, so they are the machine's (qt6-base-dev); Qt checks that the versions
# agree.
execute_process(COMMAND dpkg-architecture -qDEB_BUILD_MULTIARCH
                OUTPUT_VARIABLE QUOREL_HOST_MULTIARCH OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${QUOREL_HOST_MULTIARCH}/cmake)

# The target's programs (the tests, and the test discovery at build time) run under qemu-user,
# which opens every absolute path in the sysroot first, where it is there: the dynamic loader, the
# libraries. Not so a folder that is only looked at with faccessat, which qemu passes through as
# it is: Qt's plugin folder is one, so it is named where it lies on the machine.
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${QUOREL_QEMU} -L ${CMAKE_SYSROOT}
    -E QT_PLUGIN_PATH=${CMAKE_SYSROOT}/usr/lib/${QUOREL_TRIPLET}/qt6/plugins)
