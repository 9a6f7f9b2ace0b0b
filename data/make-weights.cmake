# Makes the word weights of the English Dictionary (cmake -P, run by the
# build): one word<TAB>count line per word of the 1-grams of the US English
# language model of Debian's pocketsphinx-en-us, converted to ARPA text by
# sphinx_lm_convert of Debian's sphinxbase-utils.
#   LM        the binary model (en-us.lm.bin)
#   CONVERT   sphinx_lm_convert
#   WORK_DIR  a folder for the intermediate files
#   OUTPUT    the weights file to make
#   MIN_WORDS the fewest words it must give
#
# A 1-gram line is "log10-probability<TAB>word<TAB>back-off"; the count is
# 10^(log10-probability + 10) rounded, which keeps the order of the
# probabilities and lies between 1 and about 10^9 for every word of the
# model.  Sentence markers (<s>, </s>) are left out.
#
# sphinx_lm_convert of Debian 12 stops on an assertion while it writes the
# 2-grams, after the 1-grams; the buffered end of its output is then lost
# (about the last hundred 1-grams).  So its exit status is not looked at;
# the 1-grams are counted against the count the model's header gives, and
# when some are missing it runs again writing to a terminal (script's), on
# which its output is written line by line.  Where that cannot be done
# either (no terminals), the first conversion serves when it lost no more
# than 1% of the 1-grams: the words lost are the last in its (alphabetical)
# order, which then have no weight.
cmake_minimum_required(VERSION 3.25)

file(MAKE_DIRECTORY "${WORK_DIR}")
set(arpa "${WORK_DIR}/en-us.arpa")
set(part "${OUTPUT}.part")

# word<TAB>count lines of the 1-grams; fails unless the 1-grams are complete.
set(awk_program [=[
BEGIN { FS = "\t"; expected = -1 }
/^ngram 1=/ { split($0, a, "="); expected = a[2] + 0 }
/^\\1-grams:/ { section = 1; next }
/^\\/ { section = 0 }
section && NF >= 2 && $1 ~ /^-?[0-9.]+$/ {
    seen++
    if ($2 !~ /^</) printf "%s\t%.0f\n", $2, 10 ^ ($1 + 10)
}
END {
    if (expected < 1 || seen < expected * (partial ? 0.99 : 1)) {
        printf "%d of %d 1-grams", seen, expected > "/dev/stderr"
        exit 1
    }
}
]=])

function(convert_plain)
  file(REMOVE "${arpa}")
  execute_process(COMMAND "${CONVERT}" -i "${LM}" -o "${arpa}" -ofmt arpa
                  OUTPUT_QUIET ERROR_QUIET)
endfunction()

function(convert_on_a_terminal)
  file(REMOVE "${arpa}")
  find_program(SCRIPT script REQUIRED)
  execute_process(
    COMMAND "${SCRIPT}" -qec "'${CONVERT}' -i '${LM}' -o /dev/tty -ofmt arpa" /dev/null
    COMMAND tr -d "\\r"
    INPUT_FILE /dev/null
    OUTPUT_FILE "${arpa}"
    ERROR_QUIET)
endfunction()

function(extract result partial)
  execute_process(COMMAND awk -v partial=${partial} "${awk_program}" "${arpa}"
                  OUTPUT_FILE "${part}" RESULT_VARIABLE status ERROR_VARIABLE error)
  set(${result} "${status}" PARENT_SCOPE)
  set(extract_error "${error}" PARENT_SCOPE)
endfunction()

convert_plain()
extract(status 0)
if(NOT status EQUAL 0)
  message(STATUS "sphinx_lm_convert wrote ${extract_error}; converting on a terminal")
  convert_on_a_terminal()
  extract(status 0)
  if(NOT status EQUAL 0)
    message(WARNING "sphinx_lm_convert on a terminal wrote ${extract_error}: "
                    "taking the 1-grams it wrote to a file")
    convert_plain()
    extract(status 1)
  endif()
endif()
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot read the 1-grams of ${LM}: ${extract_error}")
endif()
file(STRINGS "${part}" lines)
list(LENGTH lines words)
if(words LESS MIN_WORDS)
  message(FATAL_ERROR "${LM}: only ${words} words")
endif()
file(RENAME "${part}" "${OUTPUT}")
file(REMOVE "${arpa}")
message(STATUS "English weights: ${words} words")
