# Tests of a cross build for Windows, run under Wine (the toolchain file makes it the emulator, so a
# test whose command is a target of this build runs as `wine program.exe`).
#
# Every such test runs in one Wine prefix inside the build folder, made or reused by the fixture
# test `wine_prefix` (scripts/wine-prefix.sh), with Wine's messages off, no display (Wine then
# never opens a window, so it runs the same without X and under CI), and the locale C.UTF-8, which
# every Debian system has: Wine takes it as US English with the ANSI code page 1252, which maps
# every byte to a character and back, and names Unix files in UTF-8, so Windows file names in any
# script work (with a locale the C library lacks, a name outside ASCII cannot be created).
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/GoogleTestForTarget.cmake)

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    message(FATAL_ERROR "Wine was not found; the Windows tests need it (Debian packages wine and wine64)")
endif()

set(DTUSMS_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(DTUSMS_WINE_ENVIRONMENT WINEPREFIX=${DTUSMS_WINE_PREFIX} WINEDEBUG=-all LC_ALL=C.UTF-8)

add_test(NAME wine_prefix COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh ${CMAKE_CROSSCOMPILING_EMULATOR})
set_tests_properties(wine_prefix PROPERTIES
    FIXTURES_SETUP wine_prefix
    ENVIRONMENT "${DTUSMS_WINE_ENVIRONMENT}"
    ENVIRONMENT_MODIFICATION "DISPLAY=unset:;WAYLAND_DISPLAY=unset:")

# Gives a test the prefix and the environment above, and a time limit, so that a program that hangs
# under Wine fails the stage instead of stopping it.
function(dtusms_wine_test test)
    set_tests_properties(${test} PROPERTIES
        TIMEOUT 300
        FIXTURES_REQUIRED wine_prefix
        ENVIRONMENT "${DTUSMS_WINE_ENVIRONMENT}"
        ENVIRONMENT_MODIFICATION "DISPLAY=unset:;WAYLAND_DISPLAY=unset:")
endfunction()

# A GoogleTest program built for Windows and registered as one test: the whole program runs in one
# Wine process, since starting Wine for each test case would cost a fraction of a second each.
function(dtusms_add_wine_gtest name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE dtusms::options GTest::gtest GTest::gtest_main GTest::gmock)
    add_test(NAME ${name}
        COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-gtest.sh ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}>
            --gtest_brief=1)
    dtusms_wine_test(${name})
endfunction()
