# Shared settings of the Wordlark scripts (sourced, not run).
WORDLARK_CACHE=${WORDLARK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/wordlark}
# The MinGW Berkeley DB build is keyed by the Debian source version and the
# patch, so that a change of either rebuilds it.
WORDLARK_DB_KEY=5.3.28-1-p1
WORDLARK_DB_MINGW="$WORDLARK_CACHE/db5.3-mingw64"
WORDLARK_WINE=/usr/lib/wine/wine64
WORDLARK_WINESERVER=/usr/lib/wine/wineserver
export WORDLARK_CACHE WORDLARK_DB_MINGW WORDLARK_WINE WORDLARK_WINESERVER
