# SPDX-License-Identifier: MIT
# Fails when a shipped library holds any of the whole-picture pipeline, which
# lives in tests/reference alone.
#   cmake -DNM=<nm> "-DLIBRARIES=<lib;lib;...>" -P check_shipped.cmake
set(whole_picture "ReadBmpFile|ReadBmpImage|WriteBmpFile|WriteBmpImage|ResizeImage|PeekFileHeader|IntPower|EncodeRow(1|4|8|16)|Encode16|ImageRowSource")
foreach(library IN LISTS LIBRARIES)
  execute_process(COMMAND "${NM}" -C --defined-only "${library}" OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${library}: ${rc} ${err}")
  endif()
  string(REGEX MATCHALL "[^\n]*[^A-Za-z0-9_](${whole_picture})[^A-Za-z0-9_][^\n]*" found "${out}")
  if(found)
    message(FATAL_ERROR "${library} holds whole-picture code:\n${found}")
  endif()
  message(STATUS "${library}: no whole-picture code")
endforeach()
