# SPDX-License-Identifier: MIT
# Fails unless the shared library exports exactly the functions named.
#   cmake -DNM=<nm> -DLIBRARY=<library> "-DWANTED=<function;function;...>" -P check_exports.cmake
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
list(SORT functions)
list(SORT WANTED)
if(NOT functions STREQUAL WANTED)
  message(FATAL_ERROR "${LIBRARY} exports '${functions}', not '${WANTED}':\n${out}")
endif()
message(STATUS "${LIBRARY} exports ${WANTED} and nothing else")
