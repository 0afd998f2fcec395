# Compiles the toolkit-free core and its tests with the 32-bit MinGW-w64 compiler, any warning
# being an error, so the Windows build keeps compiling while we work on Linux. Sources become
# object files; the tests are only checked, since GoogleTest is not built for MinGW.
#
#   cmake -DSOURCE_DIR=<source root> -DWORK_DIR=<scratch dir> [-DMINGW_CXX=<compiler>]
#         [-DREQUIRED=ON] -P mingw_core.cmake
#
# Without the compiler it prints "mingw_core: skipped" and succeeds, unless REQUIRED is set.
cmake_minimum_required(VERSION 3.25)

# The whole toolkit-free core, and the Windows font engine beneath it.
file(GLOB_RECURSE core_sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/core/*.cpp)
list(APPEND core_sources fontengines/gdi/GdiFontEngine.cpp)
if(NOT core_sources)
  message(FATAL_ERROR "mingw_core: no core sources under ${SOURCE_DIR}")
endif()
set(core_tests tests/bitmap_test.cpp tests/kg_test.cpp tests/dial_test.cpp tests/text_test.cpp
    tests/apprules_test.cpp tests/clientsize_test.cpp)

find_program(MINGW_CXX i686-w64-mingw32-g++-posix)
if(NOT MINGW_CXX)
  set(missing "i686-w64-mingw32-g++-posix not found (Debian package g++-mingw-w64-i686-posix)")
  if(REQUIRED)
    message(FATAL_ERROR "mingw_core: ${missing}")
  endif()
  message("mingw_core: skipped, ${missing}")
  return()
endif()

# GCC for i686 computes doubles on the x87 stack with excess precision, which rounds differently
# from x86-64 and moves pixels; -msse2 -mfpmath=sse, which the Windows build needs as well, gives
# the same doubles. long double stays the x87 80-bit format, the extended precision the turtle's
# steps are defined in. No fused multiply-add, as in the program's build.
set(flags -std=c++20 -O2 -Wall -Wextra -Wpedantic -Werror -msse2 -mfpmath=sse -ffp-contract=off
    -I${SOURCE_DIR} -I${SOURCE_DIR}/core)

# The tests see the host's GoogleTest headers through a folder holding nothing but a link to them,
# so no other host header can stand in for a MinGW one.
find_path(GTEST_ROOT gtest/gtest.h PATHS /usr/include /usr/local/include)
if(NOT GTEST_ROOT)
  message(FATAL_ERROR "mingw_core: the GoogleTest headers (gtest/gtest.h) were not found")
endif()
file(MAKE_DIRECTORY ${WORK_DIR}/gtest-headers)
file(CREATE_LINK ${GTEST_ROOT}/gtest ${WORK_DIR}/gtest-headers/gtest SYMBOLIC)

# The commands of one execute_process run at the same time (as a pipeline, but a compiler reads
# no input and writes its diagnostics to stderr), so the files are compiled a batch of one per
# core at a time.
cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
set(files ${core_sources} ${core_tests})
set(failed "")
list(LENGTH files count)
math(EXPR last "${count} - 1")
foreach(first RANGE 0 ${last} ${cores})
  list(SUBLIST files ${first} ${cores} batch)
  set(commands "")
  foreach(file IN LISTS batch)
    if(file IN_LIST core_tests)
      set(mode -isystem ${WORK_DIR}/gtest-headers -fsyntax-only)
    else()
      string(REPLACE "/" "_" object ${file})
      set(mode -c -o ${WORK_DIR}/${object}.o)
    endif()
    set(command ${MINGW_CXX} ${flags} ${mode} ${SOURCE_DIR}/${file})
    list(JOIN command " " shown)
    message("mingw_core: ${shown}")
    list(APPEND commands COMMAND ${command})
  endforeach()
  if(batch)
    execute_process(${commands} RESULTS_VARIABLE results)
    foreach(file result IN ZIP_LISTS batch results)
      if(NOT result EQUAL 0)
        list(APPEND failed ${file})
      endif()
    endforeach()
  endif()
endforeach()

if(failed)
  list(JOIN failed ", " failed)
  message(FATAL_ERROR "mingw_core: failed: ${failed}")
endif()
