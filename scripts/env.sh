# Shared settings of the Wordlark scripts (sourced, not run).
WORDLARK_CACHE=${WORDLARK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/wordlark}
# The MinGW Berkeley DB build is keyed by the Debian source version and the
# patch, so that a change of either rebuilds it.
WORDLARK_DB_KEY=5.3.28-1-p1
WORDLARK_DB_MINGW="$WORDLARK_CACHE/db5.3-mingw64"
# yaml-cpp for MinGW, likewise keyed by Debian's source version.
WORDLARK_YAML_KEY=0.7.0+dfsg-8
WORDLARK_YAML_MINGW="$WORDLARK_CACHE/yaml-cpp-mingw64"
# utf8proc for MinGW, likewise keyed by Debian's source version.
WORDLARK_UTF8PROC_KEY=2.8.0-1
WORDLARK_UTF8PROC_MINGW="$WORDLARK_CACHE/utf8proc-mingw64"
# The US English language model of pocketsphinx-en-us as ARPA text, written
# by sphinx_lm_convert built from Debian's sphinxbase source with
# cmake/sphinxbase-arpa.patch; keyed by that source's version and the patch.
WORDLARK_LM_KEY=0.8+5prealpha+1-16-p1
WORDLARK_LM_DIR="$WORDLARK_CACHE/en-us-lm"
WORDLARK_WINE=/usr/lib/wine/wine64
WORDLARK_WINESERVER=/usr/lib/wine/wineserver
export WORDLARK_CACHE WORDLARK_DB_MINGW WORDLARK_YAML_MINGW WORDLARK_UTF8PROC_MINGW WORDLARK_LM_DIR WORDLARK_WINE
export WORDLARK_WINESERVER
# Wine takes the ANSI code page and the keyboard's characters from the
# locale.  The tests and the demonstration expect an English Windows
# (Windows-1252, e-acute typed through the clipboard on a US layout); with
# no locale set (POSIX), Wine types e-acute as "e".  WORDLARK_WINE_LOCALE
# chooses another one for the few tests of other systems (ru_RU.UTF-8: a
# Russian Windows, Windows-1251), whose Wine runs in a prefix of its own so
# that the tests of both never share a server or a registry.
WORDLARK_WINE_LOCALE=${WORDLARK_WINE_LOCALE:-C.UTF-8}
export LC_ALL=$WORDLARK_WINE_LOCALE
# The prefix without a display for that locale (scripts/setup makes them).
if [ "$WORDLARK_WINE_LOCALE" = C.UTF-8 ]; then
    WORDLARK_NULL_PREFIX="$WORDLARK_CACHE/wineprefix-null"
else
    WORDLARK_NULL_PREFIX="$WORDLARK_CACHE/wineprefix-null-$WORDLARK_WINE_LOCALE"
fi
export WORDLARK_WINE_LOCALE
