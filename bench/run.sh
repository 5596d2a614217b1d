#!/bin/sh
# Builds veskop and its benchmarks, runs every benchmark, and prints one Markdown table of each
# figure beside its limit, with the machine and its load. Takes about half an hour. The
# reports of the Google Benchmark programs that the table does not use go to build/bench/reports/.
# Options go to the table: --rounds N (whole shows of each kind, default 3), --quick, --only PART,
# --display :N (an X server of one's own instead of the table's Xvfb), --realtime (the whole
# processes compared under real-time scheduling, as root).
set -e
cd "$(dirname "$0")/.."
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
mkdir -p build/bench/reports
for bench in sound_mix_bench pngtex_bench mesh_lists_bench; do
    xvfb-run -a -s "-screen 0 640x480x24" "build/bench/$bench" >"build/bench/reports/$bench.txt" 2>&1
done
exec build/bench/bench_table "$@"
