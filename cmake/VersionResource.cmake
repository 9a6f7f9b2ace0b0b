# wl_version_resource(TARGET DESCRIPTION "..." FILENAME "x.exe")
# Gives a Windows executable or DLL its version resource (file and product
# version, description) from the project's version (project(... VERSION)).
function(wl_version_resource target)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(V "" "DESCRIPTION;FILENAME" "" ${ARGN})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(WL_VERSION_FILETYPE VFT_DLL)
  else()
    set(WL_VERSION_FILETYPE VFT_APP)
  endif()
  set(WL_VERSION_DESCRIPTION "${V_DESCRIPTION}")
  set(WL_VERSION_FILENAME "${V_FILENAME}")
  get_filename_component(WL_VERSION_INTERNAL "${V_FILENAME}" NAME_WE)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/res/version.rc.in ${out} @ONLY)
  target_sources(${target} PRIVATE ${out})
endfunction()

# The version as text for resource scripts and code: #include
# "WordlarkVersion.h" gives WORDLARK_VERSION ("1.0.0") and
# WORDLARK_VERSION_TEXT ("Wordlark 1.0.0").
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/WordlarkVersion.h
     CONTENT "// Made by the build from project(... VERSION).\n#pragma once\n#define WORDLARK_VERSION \"@PROJECT_VERSION@\"\n#define WORDLARK_VERSION_TEXT \"Wordlark @PROJECT_VERSION@\"\n"
     @ONLY)
target_include_directories(wl_options INTERFACE ${CMAKE_BINARY_DIR}/generated)
