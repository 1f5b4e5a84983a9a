# SPDX-License-Identifier: MIT
# The tool's manual page for Windows, where there is no man: HTML made with
# mandoc, or else plain text made with groff, installed at the top of the
# zip. Without either program the zip goes without it, as CMake says.
find_program(BMPRESIZE_MANDOC mandoc)
find_program(BMPRESIZE_GROFF groff)
set(_page ${PROJECT_SOURCE_DIR}/docs/bmpresize.1)
if(BMPRESIZE_MANDOC)
  set(_manual ${PROJECT_BINARY_DIR}/bmpresize.html)
  set(_make_manual ${BMPRESIZE_MANDOC} -Thtml ${_page})
elseif(BMPRESIZE_GROFF)
  set(_manual ${PROJECT_BINARY_DIR}/bmpresize.txt)
  set(_make_manual ${BMPRESIZE_GROFF} -man -Tutf8 -P-cbou ${_page})
else()
  message(WARNING "Neither mandoc nor groff was found: the Windows package goes without the manual page")
  return()
endif()
add_custom_command(OUTPUT ${_manual}
  COMMAND ${_make_manual} > ${_manual}
  DEPENDS ${_page}
  COMMENT "Writing the manual page as ${_manual}")
add_custom_target(bmpresize_manual ALL DEPENDS ${_manual})
install(FILES ${_manual} DESTINATION .)
