# cpack -G DEB: one Debian package with everything cmake --install puts in
# place (libbmpresize shared and static with bmpresize.h, the compatibility
# module with bmpresizescale.h, the tool and its manual page, the CMake and
# pkg-config files, the licence as the package's copyright file), under /usr.
set(CPACK_PACKAGE_NAME bmpresizescale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Resizes BMP files by a percentage: C libraries and the bmpresize tool")
set(CPACK_PACKAGE_CONTACT "bmpresize maintainers <maintainers@localhost>" CACHE STRING
    "Maintainer field of the Debian package")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_STRIP_FILES ON)
# The dependencies are read from the built files when dpkg-shlibdeps is there.
find_program(BMPRESIZE_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(BMPRESIZE_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
endif()
include(CPack)
