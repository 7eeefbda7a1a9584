# GoogleTest for the programs being built. A native build uses the installed package. A cross build
# compiles Debian's googletest sources (package googletest, /usr/src/googletest) with the cross
# compiler, since the installed libraries are for the build machine. Either way the targets
# GTest::gtest, GTest::gtest_main, GTest::gmock and GTest::gmock_main exist afterwards.
include_guard(GLOBAL)

if(NOT CMAKE_CROSSCOMPILING)
    find_package(GTest REQUIRED)
    return()
endif()

set(DTUSMS_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources built for the target of a cross build")
if(NOT EXISTS ${DTUSMS_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest sources in ${DTUSMS_GOOGLETEST_SOURCE} (Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "Install GoogleTest with this project" FORCE)
add_subdirectory(${DTUSMS_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Newer GoogleTest sources name their targets GTest::... themselves.
foreach(library gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${library})
        add_library(GTest::${library} ALIAS ${library})
    endif()
endforeach()
