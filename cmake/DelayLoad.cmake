# Windows DLLs that the program links but loads only at the first call into them (MinGW's delay-load
# import libraries), so that a start of the window does not load, relocate and initialise DLLs used
# only by the checks, the public-address request or the serial ports.
#   dtusms_delay_load(<target> <PRIVATE|PUBLIC|INTERFACE> <dll name>...)
# links <target> against the delay-load import library of each DLL (made once per build directory
# with dlltool from the exports of MinGW's ordinary import library) and against delay_load_hook
# (base/DelayLoadHookWindows.cpp), which loads these DLLs from the system folder only. The ordinary
# import library follows the delay-load one on the link line: it still provides the few members that
# are code or data of its own (ws2_32's in6addr_any, for one), while every DLL function resolves to the
# delay-load stub first.
include_guard(GLOBAL)

find_program(DTUSMS_DLLTOOL NAMES ${DTUSMS_MINGW_TRIPLET}-dlltool REQUIRED)
find_program(DTUSMS_MINGW_NM NAMES ${DTUSMS_MINGW_TRIPLET}-nm REQUIRED)

function(dtusms_delay_load_library dll out_library)
    set(library "${CMAKE_BINARY_DIR}/delay-load/lib${dll}_delay.a")
    if(NOT EXISTS "${library}")
        find_file(import_library lib${dll}.a PATHS ${CMAKE_FIND_ROOT_PATH}/lib NO_DEFAULT_PATH
                  NO_CACHE REQUIRED)
        execute_process(COMMAND ${DTUSMS_MINGW_NM} "${import_library}" OUTPUT_VARIABLE symbols
                        COMMAND_ERROR_IS_FATAL ANY)
        # The import thunks are the DLL's exports: "... I __imp_Name".
        string(REGEX MATCHALL "I __imp_[A-Za-z0-9_@?$]+" thunks "${symbols}")
        list(TRANSFORM thunks REPLACE "^I __imp_" "")
        list(REMOVE_DUPLICATES thunks)
        list(JOIN thunks "\n    " exports)
        file(WRITE "${CMAKE_BINARY_DIR}/delay-load/${dll}.def" "LIBRARY ${dll}.dll\nEXPORTS\n    ${exports}\n")
        execute_process(COMMAND ${DTUSMS_DLLTOOL} --input-def "${CMAKE_BINARY_DIR}/delay-load/${dll}.def"
                                --output-delaylib "${library}" --dllname ${dll}.dll
                        COMMAND_ERROR_IS_FATAL ANY)
    endif()
    set(${out_library} "${library}" PARENT_SCOPE)
endfunction()

# The DLLs named to dtusms_delay_load anywhere: the program's import table must name none of them.
define_property(GLOBAL PROPERTY DTUSMS_DELAY_LOADED_DLLS BRIEF_DOCS "DLLs loaded at their first call"
                FULL_DOCS "The DLLs that dtusms_delay_load links with delay-load import libraries.")

function(dtusms_delay_load target visibility)
    foreach(dll IN LISTS ARGN)
        dtusms_delay_load_library(${dll} library)
        target_link_libraries(${target} ${visibility} "${library}" ${dll})
        set_property(GLOBAL APPEND PROPERTY DTUSMS_DELAY_LOADED_DLLS ${dll})
    endforeach()
    target_link_libraries(${target} ${visibility} delay_load_hook)
endfunction()
