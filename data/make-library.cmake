# Makes one default library with wlib (cmake -P, run by the build):
#   OUTPUT       the library file to make
#   WLIB         the wlib program; EMULATOR runs it when cross-compiled (Wine)
#   WORK_DIR     a folder for the intermediate files
#   TYPE         dictionary or shorthand; CAPTION, DESCRIPTION its info
#   UNICODE      ON: a Unicode library (its keys and texts UTF-8); TEXT is
#                then read as UTF-8
#   TEXT         a library text file to import, or
#   WORDS        a UTF-8 word list, one word a line, made into one first:
#                Windows-1252, possessive forms ("'s") left out
#   MIN_COUNT    the fewest entries the import must give
#   WEIGHTS      optionally, a word<TAB>count file whose counts become the
#                weights of the keys (letter case ignored); MIN_WEIGHTS the
#                fewest keys that must get one
#   CONTEXT      optionally, a language model as ARPA text whose 2-grams and
#                3-grams become the library's context model (wlib context),
#                pruned at PRUNE; MIN_CONTEXTS the fewest contexts it must
#                give
# grep and sed work on bytes (the C locale): the converted text is no UTF-8.
# wlib sees only names inside WORK_DIR, so that Wine needs no path mapping
# (the language model, about 100 MB, is linked there rather than copied).
# The library is made under a temporary name and renamed when complete.
cmake_minimum_required(VERSION 3.25)

get_filename_component(name "${OUTPUT}" NAME)
set(lib "${name}.part")
set(text "${name}.txt")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(REMOVE "${WORK_DIR}/${lib}")

if(WORDS)
  execute_process(
    COMMAND iconv -f UTF-8 -t WINDOWS-1252 "${WORDS}"
    COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C grep -a -v [=['s$]=]
    COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C sed -e [=[s/.*/<key>&\r\n<data>\r/]=]
    OUTPUT_FILE "${WORK_DIR}/${text}"
    RESULTS_VARIABLE results)
  if(NOT results STREQUAL "0;0;0")
    message(FATAL_ERROR "cannot convert ${WORDS} (iconv, grep, sed: ${results})")
  endif()
else()
  configure_file("${TEXT}" "${WORK_DIR}/${text}" COPYONLY)
endif()

set(encoding "")
if(UNICODE)
  set(encoding --unicode)
endif()
execute_process(
  COMMAND ${EMULATOR} "${WLIB}" create "${lib}" --type "${TYPE}" --caption "${CAPTION}"
          --description "${DESCRIPTION}" ${encoding}
  WORKING_DIRECTORY "${WORK_DIR}"
  RESULT_VARIABLE status ERROR_VARIABLE error)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "wlib create ${lib}: ${status} ${error}")
endif()
# Runs a wlib command in WORK_DIR; its output must begin with a count of at
# least MIN ("N items imported", "N weights stored"): COUNT_VAR gets that
# first line.  A failure removes the half-made library.
function(wl_wlib_counted count_var pattern min)
  execute_process(
    COMMAND ${EMULATOR} "${WLIB}" ${ARGN}
    WORKING_DIRECTORY "${WORK_DIR}"
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE error)
  string(REGEX MATCH "^([0-9]+) ${pattern}" counted "${output}")
  if(NOT status EQUAL 0 OR NOT counted OR CMAKE_MATCH_1 LESS min)
    file(REMOVE "${WORK_DIR}/${lib}")
    message(FATAL_ERROR "wlib ${ARGN}: ${status} ${output} ${error}")
  endif()
  string(REGEX MATCH "^[^\n]*" first_line "${output}")
  set(${count_var} "${first_line}" PARENT_SCOPE)
endfunction()

wl_wlib_counted(imported "items imported" ${MIN_COUNT} import "${lib}" "${text}")
set(weighted "")
if(WEIGHTS)
  get_filename_component(weights_name "${WEIGHTS}" NAME)
  if(NOT EXISTS "${WORK_DIR}/${weights_name}")
    configure_file("${WEIGHTS}" "${WORK_DIR}/${weights_name}" COPYONLY)
  endif()
  wl_wlib_counted(stored "weights stored" ${MIN_WEIGHTS}
                  weights "${lib}" "${weights_name}" --ignore-case)
  set(weighted ", ${stored}")
endif()
set(context "")
if(CONTEXT)
  get_filename_component(context_name "${CONTEXT}" NAME)
  file(REMOVE "${WORK_DIR}/${context_name}")
  file(CREATE_LINK "${CONTEXT}" "${WORK_DIR}/${context_name}" SYMBOLIC)
  wl_wlib_counted(stored "contexts stored" ${MIN_CONTEXTS}
                  context "${lib}" "${context_name}" --prune "${PRUNE}")
  set(context ", ${stored}")
  file(REMOVE "${WORK_DIR}/${context_name}")
endif()
file(RENAME "${WORK_DIR}/${lib}" "${OUTPUT}")
file(REMOVE "${WORK_DIR}/${text}")
message(STATUS "${name}: ${imported}${weighted}${context}")
