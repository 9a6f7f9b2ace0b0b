# Makes the word weights of the English Dictionary (cmake -P, run by the
# build): one word<TAB>count line per word of the 1-grams of the US English
# language model of Debian's pocketsphinx-en-us, as ARPA text (scripts/setup
# converts the model and keeps the text in its cache).
#   ARPA      the model as ARPA text
#   OUTPUT    the weights file to make
#   MIN_WORDS the fewest words it must give
#
# A 1-gram line is "log10-probability<TAB>word<TAB>back-off"; the count is
# 10^(log10-probability + 10) rounded, which keeps the order of the
# probabilities and lies between 1 and about 10^9 for every word of the
# model.  Sentence markers (<s>, </s>) are left out.  Every 1-gram the
# text's header counts must be there.
cmake_minimum_required(VERSION 3.25)

set(part "${OUTPUT}.part")

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
    if (expected < 1 || seen != expected) {
        printf "%d of %d 1-grams", seen, expected > "/dev/stderr"
        exit 1
    }
}
]=])

execute_process(COMMAND awk "${awk_program}" "${ARPA}"
                OUTPUT_FILE "${part}" RESULT_VARIABLE status ERROR_VARIABLE error)
if(NOT status EQUAL 0)
  file(REMOVE "${part}")
  message(FATAL_ERROR "cannot read the 1-grams of ${ARPA}: ${error}")
endif()
file(STRINGS "${part}" lines)
list(LENGTH lines words)
if(words LESS MIN_WORDS)
  message(FATAL_ERROR "${ARPA}: only ${words} words")
endif()
file(RENAME "${part}" "${OUTPUT}")
message(STATUS "English weights: ${words} words")
