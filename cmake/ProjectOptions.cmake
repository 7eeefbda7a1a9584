# Project-wide compile settings, attached to every target through one INTERFACE library
# instead of directory-wide flags.
add_library(dtusms_options INTERFACE)
add_library(dtusms::options ALIAS dtusms_options)

target_compile_features(dtusms_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(dtusms_options INTERFACE -Wall -Wextra)
target_include_directories(dtusms_options INTERFACE ${PROJECT_SOURCE_DIR})
# The window library is a shared object that holds the static libraries of the project, so they are
# all compiled position-independent.
set_property(TARGET dtusms_options PROPERTY INTERFACE_POSITION_INDEPENDENT_CODE ON)

if(DTUSMS_SANITIZE)
    target_compile_options(dtusms_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(dtusms_options INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
