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

# wl_add_gtest(NAME LABEL <label> SOURCES ... LIBS ...)
# One ctest entry per test executable; Windows executables run under Wine.
function(wl_add_gtest name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock wl_options)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT})
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
endfunction()

# The program folder of a build: VemoShow.exe, Vemo.dll, wlib and the default
# libraries in its Libs folder, laid out as they are installed.
set(WORDLARK_DIST_DIR ${CMAKE_BINARY_DIR}/bin)
file(MAKE_DIRECTORY ${WORDLARK_DIST_DIR}/Libs)
