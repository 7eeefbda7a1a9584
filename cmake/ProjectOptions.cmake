# Project-wide compile settings, attached to every target through one INTERFACE library
# instead of directory-wide flags.
add_library(dtusms_options INTERFACE)
add_library(dtusms::options ALIAS dtusms_options)

target_compile_features(dtusms_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
if(MSVC)
    # The sources are UTF-8 (the Chinese texts of the tests and catalogs).
    target_compile_options(dtusms_options INTERFACE /W4 /utf-8 /permissive-)
else()
    # Warnings for the project's own code; Qt, GoogleTest and the system come in as system headers and
    # stay quiet. Left out on purpose: -Wconversion and -Wsign-conversion, since the lint's narrowing
    # check already asks for a visible cast wherever a value may not fit, and what these would add is
    # mostly an int loop index or coordinate used as a container index (the tests' drawings and byte
    # tables), where a cast on each use reads worse than the index; and -Wnull-dereference, which g++ 12
    # raises inside the standard library's stream buffers once they are inlined into a caller (in the
    # CSV reader's tests; no pointer of ours is involved).
    target_compile_options(dtusms_options INTERFACE
        -Wall -Wextra -Wpedantic
        -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-qual -Woverloaded-virtual
        -Wimplicit-fallthrough -Wextra-semi)
    # Warnings as errors where the code is checked (./test and CI); off by default, so that a newer
    # compiler with new warnings on a user's machine cannot break ./run.
    option(DTUSMS_WERROR "Treat compiler warnings in the project's own code as errors" OFF)
    if(DTUSMS_WERROR)
        target_compile_options(dtusms_options INTERFACE -Werror)
    endif()
endif()
target_include_directories(dtusms_options INTERFACE ${PROJECT_SOURCE_DIR})
# The window library is a shared object that holds the static libraries of the project, so they are
# all compiled position-independent.
set_property(TARGET dtusms_options PROPERTY INTERFACE_POSITION_INDEPENDENT_CODE ON)

if(DTUSMS_SANITIZE)
    target_compile_options(dtusms_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(dtusms_options INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# Windows: the API at the level of Windows 10, without the min/max macros that would hide std::min
# and std::max and without the rarely used headers; every call to the system names its W function.
if(WIN32)
    target_compile_definitions(dtusms_options INTERFACE
        _WIN32_WINNT=0x0A00 WINVER=0x0A00 NOMINMAX WIN32_LEAN_AND_MEAN)
endif()
