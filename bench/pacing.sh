#!/usr/bin/env bash
# Frame pacing of the real program: 600 frames of the demo at "60 fps" and at
# "30 fps", with the machine otherwise idle and with one spinning process
# beside it. For each run: the program's own "Average fps", the intervals
# between frame starts (mean, median, 99th percentile, maximum) and the emulation
# thread's CPU time a frame. Headless (SDL's dummy drivers), in a home of its
# own, so no settings file is read; the last run opens the workbench with
# every panel open (a settings file of its own), beside a busy core.
# Usage: bench/pacing.sh BUILD_DIR   (a Release build configured with -DBEVOREL_BENCH=ON)
# PACING_FRAMES (default 600) sets the frames of each run.
set -euo pipefail

build=${1:?usage: bench/pacing.sh BUILD_DIR}
build=$(cd "$build" && pwd)
frames=${PACING_FRAMES:-600}
home=$(mktemp -d)
spinner=""
cleanup() {
    if [ -n "$spinner" ]; then kill "$spinner" 2> /dev/null || true; fi
    rm -rf "$home"
}
trap cleanup EXIT

run() {  # label speed [config home] [option] -> one table row
    local output load
    load=$(cut -d' ' -f1 /proc/loadavg)
    output=$(env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="${3:-$home/config}" \
        XDG_DATA_HOME="$home/data" XDG_PICTURES_DIR="$home/pictures" \
        "$build/bench/pacing_bench" --boot --frames "$frames" --speed "$2" ${4:-} "$build/roms/demo/Roms" < /dev/null)
    python3 - "$1" "$2" "$output" "$load" <<'EOF'
import re, sys
label, speed, output, load = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
fps = re.search(r"^Average fps : (\S+)$", output, re.M).group(1)
p = dict(zip(*[iter(re.search(r"^pacing: (.*)$", output, re.M).group(1).split())] * 2))
period = 16666 if speed == 60 else 33332
us = {k: float(p[k]) for k in ("mean_us", "median_us", "p99_us", "max_us", "cpu_us_per_frame")}
print(f"{label:<27} {load:>5} {fps:>11} {us['mean_us']:>9.0f} {us['median_us']:>10.0f} {us['p99_us']:>10.0f} "
      f"{us['max_us']:>10.0f} {us['p99_us'] - period:>+9.0f} {us['cpu_us_per_frame']:>9.0f} "
      f"{100 * float(p['cpu_share']):>6.1f} %")
EOF
}

echo "Frame pacing, $frames frames a run (Load: the 1-minute load average as the run starts)"
printf '%-27s %5s %11s %9s %10s %10s %10s %9s %9s %8s\n' "Run" "Load" "Average fps" "Mean us" "Median us" "p99 us" "Max us" \
    "p99-per." "CPU us/f" "CPU"
run '"60 fps", no added load' 60
run '"30 fps", no added load' 30
yes > /dev/null &
spinner=$!
run '"60 fps", other core busy' 60
run '"30 fps", other core busy' 30
mkdir -p "$home/workbench/bevorel"
panels=""
for p in cpu memory sprites palettes graphics breakpoints listing watch script profiler callstack events; do
    panels+="${panels:+, }$p 1 4 24 440 320"
done
printf '[workbench]\npanels = %s\n' "$panels" > "$home/workbench/bevorel/settings.ini"
run '"60 fps", all panels, busy' 60 "$home/workbench" --workbench
kill "$spinner"
spinner=""
echo 'Targets with no added load on an idle machine: Average fps >= 59.95 at "60 fps", >= 29.98 at'
echo '"30 fps"; p99 within 1000 us of the period (16666 or 33332 us).'
