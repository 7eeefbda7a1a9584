# Fails when the program's import table names a DLL that is meant to be loaded at its first call
# (cmake/DelayLoad.cmake): a plain import library put back on a link, or linked ahead of the
# delay-load one, would load it again at every start.
#   cmake -DOBJDUMP=... -DPROGRAM=dtusms.exe -DDELAY_LOADED="winhttp;ws2_32" -P DelayLoadedImports.cmake
cmake_minimum_required(VERSION 3.20)
execute_process(COMMAND "${OBJDUMP}" -p "${PROGRAM}" OUTPUT_VARIABLE headers COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "DLL Name: [^\r\n]+" names "${headers}")
list(TRANSFORM names REPLACE "^DLL Name: " "")
list(TRANSFORM names TOLOWER)
if(NOT names)
    message(FATAL_ERROR "no imports found in ${PROGRAM}")
endif()
if(NOT DELAY_LOADED)
    message(FATAL_ERROR "no delay-loaded DLLs named")
endif()
foreach(dll IN LISTS DELAY_LOADED)
    string(TOLOWER "${dll}.dll" dll)
    if(dll IN_LIST names)
        message(FATAL_ERROR "${PROGRAM} imports ${dll} at start; its imports: ${names}")
    endif()
endforeach()
message(STATUS "imports: ${names}")
