# SPDX-License-Identifier: MIT
# The Windows form of the shared library: VANTRELBMPRESIZESCALE.dll exporting
# BMPResizeScale by name and as ordinal 1 (from the .def file), with its
# version block and type library as resources, and the DLL entry wired to the
# module's load and unload handling.
enable_language(RC)
set(_win ${PROJECT_SOURCE_DIR}/src/module/windows)
set(_gen ${PROJECT_BINARY_DIR}/generated)

string(REGEX REPLACE "g\\+\\+(-posix|-win32)?$" "widl" _widl_guess "${CMAKE_CXX_COMPILER}")
find_program(BMPRESIZE_WIDL NAMES ${_widl_guess} widl REQUIRED)
# A 32-bit type library, as a 32-bit ARM module carries.
add_custom_command(OUTPUT ${_gen}/typelib.tlb
  COMMAND ${BMPRESIZE_WIDL} -t --win32 -o ${_gen}/typelib.tlb ${_win}/typelib.idl
  DEPENDS ${_win}/typelib.idl
  COMMENT "Compiling the type library")
configure_file(${_win}/resources.rc.in ${_gen}/resources.rc @ONLY)
set_source_files_properties(${_gen}/resources.rc PROPERTIES
  OBJECT_DEPENDS ${_gen}/typelib.tlb
  INCLUDE_DIRECTORIES ${_gen})

target_sources(bmpresize_compat PRIVATE
  ${_win}/dll_main.cpp
  ${_win}/VantrelBMPResizeScale.def
  ${_gen}/resources.rc)
set_target_properties(bmpresize_compat PROPERTIES
  PREFIX ""
  OUTPUT_NAME VANTRELBMPRESIZESCALE
  IMPORT_PREFIX "lib")
# Reproducible builds: no time stamp in the PE header. -static takes the
# thread library in as well, so the DLL imports only KERNEL32.dll and msvcrt.dll.
target_link_options(bmpresize_compat PRIVATE -static -Wl,--no-insert-timestamp -Wl,--gc-sections)
# A release DLL carries no debug sections (about 700 KB of them otherwise).
target_link_options(bmpresize_compat PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
