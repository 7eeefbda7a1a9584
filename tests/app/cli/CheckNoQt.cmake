# Fails when the file PROGRAM loads a Qt library when it is started: ldd lists every library that the
# dynamic loader maps for it, those needed by its libraries included.
#   cmake -DPROGRAM=build/app/dtusms -P CheckNoQt.cmake
execute_process(COMMAND ldd ${PROGRAM} OUTPUT_VARIABLE libraries ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "ldd ${PROGRAM} failed: ${errors}")
endif()
if(libraries MATCHES "libQt[^ \t\n]*")
    message(FATAL_ERROR "${PROGRAM} loads ${CMAKE_MATCH_0} at start:\n${libraries}")
endif()
string(REGEX MATCHALL "\n" lines "${libraries}")
list(LENGTH lines count)
message(STATUS "${PROGRAM} loads no Qt library (${count} libraries in all)")
