#!/usr/bin/env bash
# Cold load of a 65,535-entry SubRip file into a new track, each run in a fresh process (the file
# itself stays in the page cache, as when a player opens a file just saved or downloaded).
# Wall clock is what a user waits; CPU time is steadier on a shared machine.
#   scripts/bench-cold-load.sh BENCH_BUILD_DIR [RUNS]
set -euo pipefail

program="$1/bin/duvara-cold-load"
runs=${2:-21}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$program" --write "$work/cold.srt"
"$program" "$work/cold.srt" >/dev/null # brings the file and the program into the page cache
for _ in $(seq "$runs"); do
  "$program" "$work/cold.srt"
done >"$work/runs"

summary() { # column, label
  sort -n -k"$1" "$work/runs" | awk -v col="$1" -v label="$2" '
    { v[NR] = $col }
    END {
      median = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "  %-12s median %8.2f  min %8.2f  max %8.2f\n", label, median, v[1], v[NR]
    }'
}
echo "Cold load, 65535 SubRip entries into a new track, $runs fresh processes:"
summary 1 "wall ms"
summary 2 "CPU ms"
summary 3 "page faults"
