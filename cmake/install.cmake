# cmake --install: the shared library, its public header, the tool with its
# manual page, the licence, and a CMake package so another project can say
#   find_package(bmpresizescale REQUIRED)
#   target_link_libraries(app PRIVATE bmpresizescale::bmpresizescale)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set_target_properties(bmpresize_shared PROPERTIES
  EXPORT_NAME bmpresizescale
  PUBLIC_HEADER ${PROJECT_SOURCE_DIR}/include/bmpresizescale.h)

install(TARGETS bmpresize_shared EXPORT bmpresizescaleTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(TARGET bmpresize)
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
# The licence, where Debian looks for a package's copyright notice.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/bmpresizescale
  RENAME copyright)

set(_config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/bmpresizescale)
install(EXPORT bmpresizescaleTargets NAMESPACE bmpresizescale:: DESTINATION ${_config_dir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/bmpresizescaleConfig.cmake.in
  ${PROJECT_BINARY_DIR}/bmpresizescaleConfig.cmake INSTALL_DESTINATION ${_config_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/bmpresizescaleConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/bmpresizescaleConfig.cmake ${PROJECT_BINARY_DIR}/bmpresizescaleConfigVersion.cmake
  DESTINATION ${_config_dir})

# pkg-config, beside the CMake package: cc app.c $(pkg-config --cflags --libs bmpresizescale)
file(RELATIVE_PATH _pc_to_prefix "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
string(REGEX REPLACE "/$" "" _pc_to_prefix "${_pc_to_prefix}")
get_target_property(_pc_library bmpresize_shared OUTPUT_NAME)
if(NOT _pc_library)
  set(_pc_library vantrelbmpresizescale)
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/bmpresizescale.pc.in ${PROJECT_BINARY_DIR}/bmpresizescale.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/bmpresizescale.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
