# SPDX-License-Identifier: MIT
# cmake --install: the libraries and their public headers, the tool with its
# manual page, the licence, and CMake packages so another project can say
#   find_package(bmpresize REQUIRED)
#   target_link_libraries(app PRIVATE bmpresize::bmpresize)   # or bmpresize::bmpresize_static
# or, for the one-export compatibility module,
#   find_package(bmpresizescale REQUIRED)
#   target_link_libraries(app PRIVATE bmpresizescale::bmpresizescale)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Everything below but the Python package is the component "main", the
# Debian package bmpresizescale; the Python package is "python" (see
# cmake/python.cmake).
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME main)

set_target_properties(bmpresize_compat PROPERTIES
  EXPORT_NAME bmpresizescale
  PUBLIC_HEADER ${PROJECT_SOURCE_DIR}/include/bmpresizescale.h)
set_target_properties(bmpresize_shared PROPERTIES
  EXPORT_NAME bmpresize
  PUBLIC_HEADER ${PROJECT_SOURCE_DIR}/include/bmpresize.h)
set_target_properties(bmpresize_static PROPERTIES EXPORT_NAME bmpresize_static)

install(TARGETS bmpresize_shared bmpresize_static EXPORT bmpresizeTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS bmpresize_compat EXPORT bmpresizescaleTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(TARGET bmpresize AND WIN32)
  install(TARGETS bmpresize RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  include(${CMAKE_CURRENT_LIST_DIR}/manual_page_text.cmake)
elseif(TARGET bmpresize)
  install(TARGETS bmpresize RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The tool's manual page, gzip-compressed without a name or time stamp as
  # Debian wants it (man reads either form). Made when CMake runs, so every
  # build target installs it; editing the page reruns CMake.
  set(_man_page ${PROJECT_BINARY_DIR}/bmpresize.1)
  configure_file(${PROJECT_SOURCE_DIR}/docs/bmpresize.1 ${_man_page} COPYONLY)
  find_program(BMPRESIZE_GZIP gzip)
  if(BMPRESIZE_GZIP)
    execute_process(COMMAND ${BMPRESIZE_GZIP} -9 -n -f -k ${_man_page} RESULT_VARIABLE _gzip_failed)
    if(NOT _gzip_failed)
      set(_man_page ${_man_page}.gz)
    endif()
  endif()
  install(FILES ${_man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
if(WIN32)
  # The Windows zip: the licence and README at its top, and the .def files
  # beside the import libraries, for linkers that make their own from them.
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/src/api/bmpresize.def
    ${PROJECT_SOURCE_DIR}/src/module/windows/VantrelBMPResizeScale.def DESTINATION ${CMAKE_INSTALL_LIBDIR})
else()
  # The licence, where Debian looks for a package's copyright notice.
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/bmpresizescale
    RENAME copyright)
endif()

# One CMake package and one pkg-config module for each library.
function(bmpresize_install_package name)
  set(_config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/${name})
  install(EXPORT ${name}Targets NAMESPACE ${name}:: DESTINATION ${_config_dir})
  set(BMPRESIZE_PACKAGE ${name})
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/packageConfig.cmake.in
    ${PROJECT_BINARY_DIR}/${name}Config.cmake INSTALL_DESTINATION ${_config_dir})
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/${name}ConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
  install(FILES ${PROJECT_BINARY_DIR}/${name}Config.cmake ${PROJECT_BINARY_DIR}/${name}ConfigVersion.cmake
    DESTINATION ${_config_dir})
endfunction()
bmpresize_install_package(bmpresize)
bmpresize_install_package(bmpresizescale)

# pkg-config, beside the CMake packages:
#   cc app.c $(pkg-config --cflags --libs bmpresize)
#   cc app.c $(pkg-config --cflags --libs bmpresizescale)
#   cc app.c $(pkg-config --cflags --libs bmpresize-static)    # libbmpresize.a
# Their prefix is the one installed to (cmake --install --prefix, /usr in the
# Debian package), written when the files are installed, so that the paths
# read as packagers expect (-I/usr/include). The Windows zip is unpacked
# anywhere: there the prefix is worked out from where the file lies.
file(RELATIVE_PATH _pc_to_prefix "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
string(REGEX REPLACE "/$" "" _pc_to_prefix "${_pc_to_prefix}")
if(WIN32)
  set(_pc_prefix "\${pcfiledir}/${_pc_to_prefix}")
else()
  set(_pc_prefix "@BMPRESIZE_INSTALLED_PREFIX@")
endif()
get_target_property(_pc_library bmpresize_compat OUTPUT_NAME)
if(NOT _pc_library)
  set(_pc_library vantrelbmpresizescale)
endif()
find_package(Threads REQUIRED)
set(_pc_libs_private ${BMPRESIZE_CXX_RUNTIME})
list(TRANSFORM _pc_libs_private PREPEND -l)
list(APPEND _pc_libs_private ${CMAKE_THREAD_LIBS_INIT})
list(JOIN _pc_libs_private " " _pc_libs_private)
# bmpresize-static names the archive by its path: beside the shared library
# (or, with MinGW, its import library) -lbmpresize would link that instead.
set(_pc_static_archive ${CMAKE_STATIC_LIBRARY_PREFIX}bmpresize${CMAKE_STATIC_LIBRARY_SUFFIX})
foreach(_pc bmpresizescale bmpresize bmpresize-static)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${_pc}.pc.in ${PROJECT_BINARY_DIR}/pkgconfig/${_pc}.pc.in @ONLY)
endforeach()
install(CODE "
  set(BMPRESIZE_PC_TEMPLATES \"${PROJECT_BINARY_DIR}/pkgconfig/bmpresizescale.pc.in;${PROJECT_BINARY_DIR}/pkgconfig/bmpresize.pc.in;${PROJECT_BINARY_DIR}/pkgconfig/bmpresize-static.pc.in\")
  set(BMPRESIZE_PC_DESTINATION \"${CMAKE_INSTALL_LIBDIR}/pkgconfig\")
  include(\"${CMAKE_CURRENT_LIST_DIR}/install_pkgconfig.cmake\")")
