#!/usr/bin/env bash
# Measures the frame rate the program keeps at each speed, headless, over at
# least ten seconds each (not a test: the numbers depend on the machine).
# Usage: measure_pacing.sh path/to/bevorel
set -euo pipefail
program=${1:?usage: $0 path/to/bevorel}
export SDL_VIDEODRIVER=dummy
for run in "60 600" "30 300" "unlimited 250000"; do
  set -- $run
  start=$(date +%s.%N)
  line=$("$program" --boot --speed "$1" --frames "$2" | grep '^Average fps')
  end=$(date +%s.%N)
  printf '%-9s %6s frames in %6.2f s (wall, with start-up): %s\n' "$1" "$2" "$(echo "$end - $start" | bc)" "$line"
done
