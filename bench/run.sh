#!/usr/bin/env bash
# Runs every benchmark and prints one table: the in-process Google
# Benchmarks, host instructions per emulated instruction under callgrind,
# the whole program's start-up time and peak memory, and a clean build;
# then the frame pacing's own table (bench/pacing.sh).
# Usage: bench/run.sh BUILD_DIR   (a Release build configured with -DBEVOREL_BENCH=ON)
# Set BENCH_CLEAN_BUILD=0 to skip timing a clean build of the project.
set -euo pipefail

build=${1:?usage: bench/run.sh BUILD_DIR}
build=$(cd "$build" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "Benchmarks on $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores"
echo "Compiler: $(clang++ --version | head -1); $(date -u '+%Y-%m-%d %H:%M UTC')"
echo

run_gbench() {  # name -> JSON in $work/name.json
    "$build/bench/$1" --benchmark_format=json --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true > "$work/$1.json" 2> "$work/$1.err"
}
run_gbench core_bench
run_gbench board_bench
run_gbench workload_bench
run_gbench state_bench
run_gbench history_bench
run_gbench workbench_bench

# Host instructions per emulated instruction (callgrind counts are repeatable),
# on each workload program.
for workload in selftest calls; do
    valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$work/callgrind.$workload" \
        "$build/bench/instructions_per_instruction" "$build/roms/$workload/" > "$work/ipi.$workload" 2> /dev/null
done

# Start to first presented frame, and peak memory over 20 seconds of demo.
program="$build/bevorel"
python3 - "$program" "$work" > "$work/program.txt" <<'EOF'
import os, resource, statistics, subprocess, sys, time
program, work = sys.argv[1], sys.argv[2]
env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
times = []
for _ in range(15):
    t = time.perf_counter()
    subprocess.run([program, "--boot", "--frames", "1"], env=env, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    times.append((time.perf_counter() - t) * 1000)
print("startup_ms", statistics.median(times))
subprocess.run([program, "--boot", "--frames", "1200"], env=env, stdin=subprocess.DEVNULL,
               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
print("peak_rss_mib", resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024)
EOF

# The browser build (make web) in headless Chromium: unpaced frames a
# second, each drawn on the page's canvas, with the DevTools-protocol client
# from web/test's lockfile.
web_fps=nan
if [ -f "$source_dir/build/web/bevorel.wasm" ] && [ -x /usr/bin/chromium ]; then
    mkdir -p "$work/client"
    cp "$source_dir/web/test/package.json" "$source_dir/web/test/package-lock.json" "$work/client/"
    (cd "$work/client" && npm ci --ignore-scripts --no-audit --no-fund --prefer-offline > /dev/null)
    web_fps=$(NODE_PATH="$work/client/node_modules" node "$source_dir/web/test/bench.js" "$source_dir/build/web" | sed -n 's/^web_fps //p')
fi
echo "web_fps $web_fps" >> "$work/program.txt"

build_seconds="skipped"
if [ "${BENCH_CLEAN_BUILD:-1}" != 0 ]; then
    start=$(date +%s)
    cmake -S "$source_dir" -B "$work/clean" -DCMAKE_BUILD_TYPE=Release > /dev/null
    cmake --build "$work/clean" -j 2 > /dev/null
    build_seconds=$(( $(date +%s) - start ))
fi

python3 - "$work" "$build_seconds" <<'EOF'
import json, sys
work, build_seconds = sys.argv[1], sys.argv[2]

def median(name, bench, counter=None):
    for b in json.load(open(f"{work}/{name}.json"))["benchmarks"]:
        if b["run_name"].startswith(bench) and b.get("aggregate_name") == "median":
            return b[counter] if counter else b["real_time"]
    return float("nan")

def cpu_median(name, bench):
    return median(name, bench, "cpu_time")

def host_per_emulated(workload):
    ipi = dict(l.rsplit(" ", 1) for l in open(f"{work}/ipi.{workload}").read().splitlines() if l.startswith("emulated"))
    host = next(int(l.split()[1]) for l in open(f"{work}/callgrind.{workload}") if l.startswith("totals:"))
    return f"{host / int(ipi['emulated instructions']):.1f} (callgrind)"

prog = dict(l.split() for l in open(f"{work}/program.txt"))
rows = [
    ("Core, self-test workload (emulated cycles/s)", f"{median('workload_bench', 'BM_SelfTestWorkload', 'cycles') / 1e6:,.0f} million", ">= 3,000 million"),
    ("Core, call-heavy workload (emulated cycles/s)", f"{median('workload_bench', 'BM_CallHeavyWorkload', 'cycles') / 1e6:,.0f} million", ">= 4,000 million"),
    ("Core, hand-written loop (emulated cycles/s)", f"{median('core_bench', 'BM_CoreLoop/1000000', 'cycles') / 1e6:,.0f} million", "report"),
    ("Core, the same loop with gdb breakpoints set (emulated cycles/s)", f"{median('core_bench', 'BM_CoreLoopWithBreakpoints/1000000', 'cycles') / 1e6:,.0f} million", "report"),
    ("Core, host instructions per emulated instruction, self-test", host_per_emulated("selftest"), "report"),
    ("Core, host instructions per emulated instruction, call-heavy", host_per_emulated("calls"), "<= 32"),
    ("Whole demo frame, unpaced (frames/s)", f"{median('workload_bench', 'BM_DemoFrame', 'frames'):,.0f}", ">= 5,000"),
    ("Whole demo frame in headless Chromium, unpaced, each drawn (frames/s)", f"{float(prog['web_fps']):,.0f}", "report"),
    ("The same over the native whole demo frame", f"{float(prog['web_fps']) / median('workload_bench', 'BM_DemoFrame', 'frames'):.2f}", "report"),
    ("Picture: fill and 480 visible chained sprites (pictures/s)", f"{1e9 / median('board_bench', 'BM_DrawPicture480Sprites'):,.0f}", ">= 5,000"),
    ("Save state, the game's stop: capture (us)", f"{median('state_bench', 'BM_Capture'):.1f}", "report"),
    ("Save state, whole command with the file flushed (ms)", f"{median('state_bench', 'BM_SaveStateCommand'):.2f}", "< 5"),
    ("Load state, whole command from the file (ms)", f"{median('state_bench', 'BM_LoadStateCommand'):.2f}", "< 5"),
    ("Kept history: unpaced frames/s with it on, over off (CPU time)", f"{cpu_median('history_bench', 'BM_Frames/0') / cpu_median('history_bench', 'BM_Frames/1'):.3f}", ">= 0.95"),
    ("Workbench open: its work at a frame boundary (us)", f"{median('workbench_bench', 'FrameBoundaryOpen'):.0f}", "< 2000"),
    ("One frame rewound, 5 minutes kept (us)", f"{median('history_bench', 'BM_RewindOneFrame'):.0f}", "report"),
    ("Reverse step, 5 minutes kept (ms)", f"{median('history_bench', 'BM_Reverse/0'):.1f}", "< 50"),
    ("Reverse continue to the last frame's hit, 5 minutes kept (ms)", f"{median('history_bench', 'BM_Reverse/1'):.1f}", "< 50"),
    ("Reverse continue over all 5 minutes, no hit (ms)", f"{median('history_bench', 'BM_Reverse/2/iterations:1'):.0f}", "report"),
    ("History held after an hour of headless play (MiB)", f"{median('history_bench', 'BM_HourOfPlay', 'MiB held'):.1f}", "<= 64"),
    ("Start to first presented frame (ms)", f"{float(prog['startup_ms']):.0f}", "< 150"),
    ("Peak resident memory running the demo (MiB)", f"{float(prog['peak_rss_mib']):.1f}", "< 64"),
    ("Clean build of the whole project, 2 cores (s)", build_seconds, "report; < 300"),
]
width = max(len(r[0]) for r in rows)
print(f"{'Benchmark':<{width}}  {'Measured':>22}  Target")
for name, value, target in rows:
    print(f"{name:<{width}}  {value:>22}  {target}")
EOF

echo
bash "$source_dir/bench/pacing.sh" "$build"
