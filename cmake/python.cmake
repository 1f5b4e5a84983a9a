# SPDX-License-Identifier: MIT
# The Python package (python/), for the Debian package python3-bmpresize:
# pure Python, under the folder that Debian's python3 reads whatever its
# version. A plain cmake --install leaves it out (pip installs it anywhere
# else, see python/README.md); it is put in place by cpack, or by hand with
#   cmake --install build --component python --prefix /usr
set(BMPRESIZE_PYTHON_DIR lib/python3/dist-packages CACHE STRING
    "Folder under the prefix where the python component installs the bmpresize module")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/src/bmpresize DESTINATION ${BMPRESIZE_PYTHON_DIR}
  COMPONENT python EXCLUDE_FROM_ALL
  FILES_MATCHING PATTERN "*.py" PATTERN "__pycache__" EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/python3-bmpresize
  RENAME copyright COMPONENT python EXCLUDE_FROM_ALL)
