# Compiler settings, Berkeley DB and the test helpers shared by every folder.

set(WORDLARK_SCRIPTS ${CMAKE_SOURCE_DIR}/scripts)

# Warnings are errors in every build.
add_library(wl_options INTERFACE)
target_compile_options(wl_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wformat=2 -Werror)
target_include_directories(wl_options INTERFACE ${CMAKE_SOURCE_DIR})
if(WIN32)
  target_compile_definitions(wl_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
                             WINVER=0x0601)
  target_link_options(wl_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()
if(WORDLARK_SANITIZE)
  target_compile_options(wl_options INTERFACE -fsanitize=address,undefined
                         -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(wl_options INTERFACE -fsanitize=address,undefined)
endif()

# Berkeley DB: Debian's libdb natively, the cached static MinGW build for Windows.
add_library(wl_bdb INTERFACE)
if(WIN32)
  set(WORDLARK_DB_MINGW "$ENV{WORDLARK_DB_MINGW}" CACHE PATH "Static MinGW Berkeley DB (scripts/setup)")
  if(NOT EXISTS "${WORDLARK_DB_MINGW}/include/db.h")
    message(FATAL_ERROR "No MinGW Berkeley DB at '${WORDLARK_DB_MINGW}': run scripts/setup")
  endif()
  target_include_directories(wl_bdb SYSTEM INTERFACE ${WORDLARK_DB_MINGW}/include)
  target_link_libraries(wl_bdb INTERFACE ${WORDLARK_DB_MINGW}/lib/libdb.a ws2_32 pthread)
else()
  find_path(WORDLARK_DB_INCLUDE db.h REQUIRED)
  find_library(WORDLARK_DB_LIBRARY NAMES db-5.3 db REQUIRED)
  target_include_directories(wl_bdb SYSTEM INTERFACE ${WORDLARK_DB_INCLUDE})
  target_link_libraries(wl_bdb INTERFACE ${WORDLARK_DB_LIBRARY})
endif()

# GoogleTest: Debian's packages natively, built from Debian's source for MinGW.
if(NOT WORDLARK_FUZZ)
  if(WIN32)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  else()
    find_package(GTest REQUIRED)
  endif()
endif()

# wl_add_gtest(NAME LABEL <label> [BOTH_BUILDS] SOURCES ... LIBS ...
#              [DEFINITIONS ...] [DEPENDS ...] [TIMEOUT <seconds>])
# One ctest entry per test executable, linked with GoogleTest and the shared
# test helpers (tests/support); Windows executables run under Wine.  A native
# test (LABEL native) with BOTH_BUILDS is built by the Windows build too, as
# NAME_win with the label windows: the platform-free code checked again on
# the MinGW runtime.
function(wl_add_gtest name)
  cmake_parse_arguments(T "BOTH_BUILDS" "LABEL;TIMEOUT" "SOURCES;LIBS;DEFINITIONS;DEPENDS" ${ARGN})
  if(WIN32 AND T_LABEL STREQUAL "native")
    if(NOT T_BOTH_BUILDS)
      return()
    endif()
    set(name ${name}_win)
    set(T_LABEL windows)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} wl_test_support GTest::gtest_main GTest::gmock
                        wl_options)
  if(T_DEFINITIONS)
    target_compile_definitions(${name} PRIVATE ${T_DEFINITIONS})
  endif()
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT})
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
endfunction()

# wl_add_test_folders(FOLDER): adds every subfolder of FOLDER (below the
# current source folder) that has a CMakeLists.txt; each holds the tests of
# one subsystem.
function(wl_add_test_folders folder)
  file(GLOB dirs LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*)
  foreach(dir ${dirs})
    if(EXISTS ${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# The program folder of a build: VemoShow.exe, Vemo.dll, wlib and the default
# libraries in its Libs folder, laid out as they are installed.
set(WORDLARK_DIST_DIR ${CMAKE_BINARY_DIR}/bin)
file(MAKE_DIRECTORY ${WORDLARK_DIST_DIR}/Libs)

# wl_res_depends(RC...): the resource compiler reports no dependencies, so
# the scripts built in this folder are made to depend on every file of res/
# (scripts, headers, bitmaps, icons, manifest): a change there rebuilds them.
function(wl_res_depends)
  file(GLOB deps ${CMAKE_SOURCE_DIR}/res/*.rc ${CMAKE_SOURCE_DIR}/res/*.h
       ${CMAKE_SOURCE_DIR}/res/*.bmp ${CMAKE_SOURCE_DIR}/res/*.ico
       ${CMAKE_SOURCE_DIR}/res/*.manifest)
  set_source_files_properties(${ARGN} PROPERTIES OBJECT_DEPENDS "${deps}")
endfunction()
