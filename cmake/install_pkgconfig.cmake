# SPDX-License-Identifier: MIT
# Run by cmake --install (see install.cmake): writes each pkg-config file from
# its template with the prefix being installed to, and installs it under
# BMPRESIZE_PC_DESTINATION. DESTDIR, as cpack sets it, is not part of the
# prefix: the files say where the package puts them.
get_filename_component(_prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
foreach(_template IN LISTS BMPRESIZE_PC_TEMPLATES)
  string(REGEX REPLACE "\\.in$" "" _written "${_template}")
  file(READ "${_template}" _text)
  string(REPLACE "@BMPRESIZE_INSTALLED_PREFIX@" "${_prefix}" _text "${_text}")
  file(WRITE "${_written}" "${_text}")
  file(INSTALL "${_written}" DESTINATION "${_prefix}/${BMPRESIZE_PC_DESTINATION}")
endforeach()
