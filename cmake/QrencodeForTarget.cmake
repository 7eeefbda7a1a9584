# libqrencode for a cross build that has none for its target (MinGW-w64 on Debian): built at
# configure time from the upstream tarball of Debian's source package, the same version as the host's
# libqrencode-dev when that is installed, so that both builds draw the same codes. The sources are
# fetched and checked by scripts/fetch-debian-source.sh into <build>/qrencode/, built there with the
# same toolchain as a static library without its tools, and installed into <build>/qrencode/install.
# A later configure reuses the installed library.
#
# Defines the imported target dtusms::qrencode.
include_guard(GLOBAL)

set(DTUSMS_QRENCODE_SOURCE_PACKAGE "" CACHE STRING
    "Debian source package of libqrencode for the target, as qrencode=<version>; empty: the host's libqrencode-dev version, else the newest")

set(qrencode_root ${CMAKE_BINARY_DIR}/qrencode)
set(qrencode_install ${qrencode_root}/install)
set(qrencode_library ${qrencode_install}/lib/libqrencode.a)

if(NOT EXISTS ${qrencode_library})
    set(request ${DTUSMS_QRENCODE_SOURCE_PACKAGE})
    if(NOT request)
        execute_process(COMMAND dpkg-query -W -f=\${source:Version} libqrencode-dev
            OUTPUT_VARIABLE host_version RESULT_VARIABLE dpkg_status ERROR_QUIET)
        if(dpkg_status EQUAL 0 AND host_version)
            set(request qrencode=${host_version})
        else()
            set(request qrencode)
        endif()
    endif()
    message(STATUS "libqrencode for ${CMAKE_SYSTEM_NAME}: fetching Debian's ${request}")
    execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-debian-source.sh ${request} ${qrencode_root}
        OUTPUT_VARIABLE fetched RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "Could not fetch the sources of libqrencode (${request}); see above")
    endif()
    string(STRIP "${fetched}" fetched)
    string(REGEX REPLACE ".*\n" "" qrencode_source "${fetched}")

    # The library is built with this build's toolchain file, resolved as CMake resolves it.
    set(toolchain ${CMAKE_TOOLCHAIN_FILE})
    if(NOT IS_ABSOLUTE ${toolchain})
        if(EXISTS ${CMAKE_BINARY_DIR}/${toolchain})
            set(toolchain ${CMAKE_BINARY_DIR}/${toolchain})
        else()
            set(toolchain ${CMAKE_SOURCE_DIR}/${toolchain})
        endif()
    endif()
    set(launcher)
    if(CMAKE_CXX_COMPILER_LAUNCHER)
        set(launcher -DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER})
    endif()
    message(STATUS "libqrencode for ${CMAKE_SYSTEM_NAME}: building ${qrencode_source}")
    execute_process(
        COMMAND ${CMAKE_COMMAND} -S ${qrencode_source} -B ${qrencode_root}/build -G ${CMAKE_GENERATOR}
            -DCMAKE_TOOLCHAIN_FILE=${toolchain} -DCMAKE_BUILD_TYPE=Release ${launcher}
            -DCMAKE_INSTALL_PREFIX=${qrencode_install} -DCMAKE_INSTALL_LIBDIR=lib
            -DBUILD_SHARED_LIBS=OFF -DWITH_TOOLS=OFF -DWITH_TESTS=OFF
        OUTPUT_FILE ${qrencode_root}/configure.log ERROR_FILE ${qrencode_root}/configure.log
        RESULT_VARIABLE status)
    if(status EQUAL 0)
        execute_process(COMMAND ${CMAKE_COMMAND} --build ${qrencode_root}/build --target install
            OUTPUT_FILE ${qrencode_root}/build.log ERROR_FILE ${qrencode_root}/build.log
            RESULT_VARIABLE status)
    endif()
    if(NOT status EQUAL 0 OR NOT EXISTS ${qrencode_library})
        message(FATAL_ERROR "Could not build libqrencode for ${CMAKE_SYSTEM_NAME}: see "
                            "${qrencode_root}/configure.log and ${qrencode_root}/build.log")
    endif()
endif()

# The library takes its lock from pthreads when it was built with them (MinGW-w64's -posix
# compilers have winpthreads, linked statically like the rest of the runtime).
find_package(Threads REQUIRED)
add_library(dtusms::qrencode STATIC IMPORTED GLOBAL)
set_target_properties(dtusms::qrencode PROPERTIES
    IMPORTED_LOCATION ${qrencode_library}
    INTERFACE_INCLUDE_DIRECTORIES ${qrencode_install}/include
    INTERFACE_LINK_LIBRARIES Threads::Threads)
