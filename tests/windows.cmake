# The Windows build's tests, run under Wine (CMAKE_CROSSCOMPILING_EMULATOR): the toolkit-free
# suites with the GDI font engine, the golden pictures, and quorel.exe's own window.
# GoogleTest is built from the sources Debian's libgtest-dev ships.
set(QUOREL_GTEST_SOURCE /usr/src/googletest/googletest CACHE PATH "GoogleTest's sources")
if(NOT EXISTS ${QUOREL_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest's sources not found in ${QUOREL_GTEST_SOURCE} (libgtest-dev)")
endif()
add_subdirectory(${QUOREL_GTEST_SOURCE} ${CMAKE_CURRENT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# One CTest test per program: every Wine start costs about a second.
function(quorel_wine_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE ${QUOREL_TEST_LIBS} gtest)
  add_test(NAME ${name} COMMAND ${name})
endfunction()

set(QUOREL_TEST_LIBS turtle gtest_main)
quorel_wine_test(bitmap_test bitmap_test.cpp)
quorel_wine_test(text_test text_test.cpp)
quorel_wine_test(kg_test kg_test.cpp)
set(QUOREL_TEST_LIBS dial gtest_main)
quorel_wine_test(dial_test dial_test.cpp)
set(QUOREL_TEST_LIBS app gtest_main)
quorel_wine_test(apprules_test apprules_test.cpp)
quorel_wine_test(clientsize_test clientsize_test.cpp)

find_package(ZLIB REQUIRED)  # libz-mingw-w64-dev
set(QUOREL_TEST_LIBS dial ZLIB::ZLIB)
quorel_wine_test(golden_test golden_test.cpp Png.cpp)
target_compile_definitions(golden_test
                           PRIVATE QUOREL_GOLDEN_DIR="${CMAKE_CURRENT_SOURCE_DIR}/golden")

# quorel.exe read as a data file: its version record, icon and manifest.
set(QUOREL_TEST_LIBS gtest_main version)
quorel_wine_test(win32_resources_test win32_resources_test.cpp)
target_include_directories(win32_resources_test PRIVATE ${PROJECT_SOURCE_DIR})
add_dependencies(win32_resources_test quorel)

# Needs a display with a window manager; starts quorel.exe beside this folder.
set(QUOREL_TEST_LIBS dial gtest_main gdi32 user32 oleacc ole32 oleaut32 uuid)
quorel_wine_test(win32_window_test win32_window_test.cpp)
add_dependencies(win32_window_test quorel)
# Once more with a Japanese user interface, which Wine takes from the locale LANG names; the one
# test must be seen passing. The machine need not have that locale: glibc's localedef
# (the sources are Debian's locales) compiles it into the build folder, where LOCPATH points.
set(QUOREL_LOCALES ${CMAKE_CURRENT_BINARY_DIR}/locale)
find_program(LOCALEDEF localedef REQUIRED)
add_custom_command(OUTPUT ${QUOREL_LOCALES}/ja_JP.UTF-8/LC_MESSAGES/SYS_LC_MESSAGES
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${QUOREL_LOCALES}
                   COMMAND ${LOCALEDEF} -i ja_JP -f UTF-8 ${QUOREL_LOCALES}/ja_JP.UTF-8 VERBATIM)
add_custom_target(japanese_locale ALL
                  DEPENDS ${QUOREL_LOCALES}/ja_JP.UTF-8/LC_MESSAGES/SYS_LC_MESSAGES)
add_test(NAME win32_window_japanese
         COMMAND win32_window_test
                 --gtest_filter=QuorelWindow.TheTextsFollowTheUserInterfacesLanguage)
set_tests_properties(win32_window_japanese PROPERTIES
                     ENVIRONMENT "LOCPATH=${QUOREL_LOCALES};LANG=ja_JP.UTF-8;LC_ALL=;LC_MESSAGES="
                     PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] 1 test\\.")
# The two runs share the display and its keyboard focus.
set_tests_properties(win32_window_test win32_window_japanese PROPERTIES RESOURCE_LOCK display)
set_tests_properties(win32_window_test PROPERTIES TIMEOUT 120)
