# SPDX-License-Identifier: MIT
# cpack -G DEB: two Debian packages, under /usr. bmpresizescale holds
# everything cmake --install puts in place (libbmpresize shared and static
# with bmpresize.h, the compatibility module with bmpresizescale.h, the tool
# and its manual page, the CMake and pkg-config files, the licence as the
# package's copyright file); python3-bmpresize the Python package, apart so
# that the C library brings no Python and the Python package pins the exact
# library whose records it lays out.
set(CPACK_PACKAGE_NAME bmpresizescale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The summary is the first line of both packages' descriptions.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Resizes BMP files by a percentage, the same bytes on every machine")
set(CPACK_PACKAGE_CONTACT "bmpresize maintainers <maintainers@localhost>" CACHE STRING
    "Maintainer field of the Debian package")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL main python)
set(CPACK_DEBIAN_MAIN_PACKAGE_NAME bmpresizescale)
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-bmpresize)
set(CPACK_DEBIAN_PYTHON_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3, bmpresizescale (= ${CPACK_PACKAGE_VERSION})")
set(CPACK_DEBIAN_MAIN_DESCRIPTION "The C libraries (libbmpresize and the compatibility module) and the
bmpresize tool.")
set(CPACK_DEBIAN_PYTHON_DESCRIPTION "The Python package bmpresize: resize_file and resize_bytes over
libbmpresize, with the tool's reasons as exceptions.")
# Byte-compiled on install and cleaned away on removal, as Debian's Python
# packages are.
set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/debian/python3-bmpresize/postinst ${CMAKE_CURRENT_LIST_DIR}/debian/python3-bmpresize/prerm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# cpack -G ZIP in a Windows build: bmpresize-VERSION-win64.zip (win32 for
# 32-bit x86) with what cmake --install puts in place there: the tool, both
# DLLs with their import libraries and .def files, the headers, the static
# library, the CMake and pkg-config files, LICENSE, README.md and the manual
# page as HTML. The Python package is not in it.
if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
  else()
    set(CPACK_SYSTEM_NAME win32)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGING_INSTALL_PREFIX "")
  set(CPACK_PACKAGE_FILE_NAME bmpresize-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
  set(CPACK_COMPONENTS_ALL main)
endif()
# The dependencies are read from the built files when dpkg-shlibdeps is there.
find_program(BMPRESIZE_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(BMPRESIZE_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
endif()
include(CPack)
