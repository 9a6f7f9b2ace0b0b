#!/usr/bin/env bash
# Runs a fuzz target for a number of seconds from an empty corpus, in a
# temporary folder that is removed afterwards.
#   run-fuzz.sh TARGET SECONDS
set -uo pipefail
target=$(cd "$(dirname "$1")" && pwd)/$(basename "$1") seconds=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/wordlark-fuzz.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus"
cd "$work"
TMPDIR="$work" "$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 "$work/corpus"
