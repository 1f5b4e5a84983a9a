# SPDX-License-Identifier: MIT
# The standard colour tables that docs/file-formats.md prints are the ones the
# tool writes: for each of 1, 4 and 8 bits the tool resizes SOURCE at that
# depth into WORK, and the table between the headers and the pixels must hold
# the page's entries, in order, each as blue, green, red and 0.
#   cmake -DTOOL=... -DDOC=docs/file-formats.md -DSOURCE=x.bmp -DWORK=dir -P check_documented_tables.cmake
file(STRINGS "${DOC}" _lines)
set(_rows_1 "")
set(_rows_4 "")
set(_rows_8 "")
foreach(_line IN LISTS _lines)
  if(_line MATCHES "^\\*\\*1 bit:\\*\\*")
    list(APPEND _rows_1 "${_line}")
  elseif(_line MATCHES "^\\| (0 to 7|8 to 15) \\|")
    list(APPEND _rows_4 "${_line}")
  elseif(_line MATCHES "^\\| [0-9]+ \\| `")
    list(APPEND _rows_8 "${_line}")
  endif()
endforeach()

# The entries of the page's lines, `RRGGBB` each, as the file's bytes in hex.
function(documented_table rows out)
  string(REGEX MATCHALL "`[0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F]`" _entries "${rows}")
  set(_hex "")
  foreach(_entry IN LISTS _entries)
    string(SUBSTRING "${_entry}" 1 2 _red)
    string(SUBSTRING "${_entry}" 3 2 _green)
    string(SUBSTRING "${_entry}" 5 2 _blue)
    string(APPEND _hex "${_blue}${_green}${_red}00")
  endforeach()
  string(TOLOWER "${_hex}" _hex)
  set(${out} "${_hex}" PARENT_SCOPE)
endfunction()

foreach(_depth 1 4 8)
  documented_table("${_rows_${_depth}}" _documented)
  string(LENGTH "${_documented}" _length)
  math(EXPR _entries "${_length} / 8")
  math(EXPR _wanted "1 << ${_depth}")
  if(NOT _entries EQUAL _wanted)
    message(FATAL_ERROR "${DOC} lists ${_entries} entries of the ${_depth}-bit table, not ${_wanted}")
  endif()
  set(_written "${WORK}/documented-table-${_depth}.bmp")
  execute_process(COMMAND "${TOOL}" --depth ${_depth} "${SOURCE}" "${_written}" 50 RESULT_VARIABLE _failed)
  if(_failed)
    message(FATAL_ERROR "${TOOL} --depth ${_depth} failed: ${_failed}")
  endif()
  # 14 + 40 bytes of headers, then the table up to the pixel data's offset.
  file(READ "${_written}" _header LIMIT 4 OFFSET 10 HEX)
  string(REGEX REPLACE "^(..)(..)(..)(..)$" "\\4\\3\\2\\1" _offset "${_header}")
  math(EXPR _offset "0x${_offset}")
  math(EXPR _table_bytes "${_offset} - 54")
  file(READ "${_written}" _table LIMIT ${_table_bytes} OFFSET 54 HEX)
  if(NOT _table STREQUAL _documented)
    message(FATAL_ERROR "the ${_depth}-bit table the tool writes is not the one ${DOC} prints:\n"
                        "written:    ${_table}\nthe page's: ${_documented}")
  endif()
  file(REMOVE "${_written}")
endforeach()
