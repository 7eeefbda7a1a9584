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
    target_compile_options(dtusms_options INTERFACE -Wall -Wextra)
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
