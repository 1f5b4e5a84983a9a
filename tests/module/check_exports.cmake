# Fails unless BMPResizeScale is the one function the shared library exports.
#   cmake -DNM=<nm> -DLIBRARY=<library> -P check_exports.cmake
execute_process(COMMAND "${NM}" -D --defined-only "${LIBRARY}" OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}: ${rc}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${out}")
set(functions "")
foreach(line IN LISTS lines)
  # Text, weak and indirect symbols are functions.
  if(line MATCHES "^[0-9a-fA-F]* *[TtWwi] ([^ ]+)$")
    list(APPEND functions "${CMAKE_MATCH_1}")
  endif()
endforeach()
if(NOT functions STREQUAL "BMPResizeScale")
  message(FATAL_ERROR "exported functions: '${functions}', not BMPResizeScale alone:\n${out}")
endif()
message(STATUS "BMPResizeScale is the only exported function")
