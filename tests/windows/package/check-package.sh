#!/usr/bin/env bash
# The portable zip and the help file, checked as files:
#   check-package.sh PORTABLE_ZIP STAGE_DIR CHM HELP_SOURCE_DIR
# - the zip holds exactly the shipped program folder (STAGE_DIR) under
#   Wordlark/, byte for byte;
# - WLHelp.chm holds every page of the help project, its contents and index.
set -uo pipefail
zip=$1 stage=$2 chm=$3 help=$4
passed=0 failed=0
check() {
    local desc=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $desc" >&2
    fi
}

zip_names() { unzip -Z1 "$zip" | grep -v '/$' | sort; }
stage_names() { (cd "$stage/.." && find Wordlark -type f | sort); }
check "the zip lists the shipped files and nothing else" \
    diff <(zip_names) <(stage_names)
same_bytes() {
    local name
    while IFS= read -r name; do
        unzip -p "$zip" "$name" | cmp -s - "$stage/../$name" || { echo "differs: $name" >&2; return 1; }
    done < <(zip_names)
}
check "every file in the zip is the shipped file" same_bytes
check "the zip passes its own test" sh -c 'unzip -tq "$0" >/dev/null' "$zip"

chm_names() { chmls list "$chm" 2>/dev/null | awk '{print $NF}'; }
pages() { sed -n '/^\[FILES\]/,/^\[/p' "$help/WLHelp.hhp" | grep -v '^\[' | grep .; }
all_pages_in_chm() {
    local listing page
    listing=$(chm_names)
    for page in $(pages) toc.hhc index.hhk; do
        grep -qx "/$page" <<<"$listing" || { echo "not in the help file: $page" >&2; return 1; }
    done
}
check "the help file holds every page, its contents and its index" all_pages_in_chm
check "the help file has a full-text index" sh -c 'chmls list "$0" 2>/dev/null | grep -q "/\$FIftiMain"' "$chm"

echo "package files: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
