#!/bin/sh
# Plots the time of every frame of one whole show, made from the show's own tick lines, with the
# scene spans marked, into docs/frame-times.png. Runs the real veskop once under Xvfb (its music
# to SDL's dummy driver), or reads a saved standard output of it. Needs gnuplot (Debian
# gnuplot-nox) and a build (build/veskop).
#   bench/plot_frame_times.sh [SAVED_OUTPUT] [PNG]
set -e
cd "$(dirname "$0")/.."
output=${2:-docs/frame-times.png}
data=$(mktemp)
ticks=${1:-}
if [ -z "$ticks" ]; then
    ticks=$(mktemp)
    trap 'rm -f "$data" "$ticks"' EXIT
    SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 640x480x24" build/veskop >"$ticks" 2>/dev/null
else
    trap 'rm -f "$data"' EXIT
fi
# One row a frame: show time (s), frame time (ms: ticks since the previous frame's line, so whole
# milliseconds), and the mean frame time of the last 100 frames (ms).
awk '
    /[0-9]$/ {
        sub(/.*[^0-9]/, "")
        tick = $0 + 0
        if (started == 0) { first = tick; previous = tick; started = 1; next }
        ms = (tick - previous + 4294967296) % 4294967296
        previous = tick
        slot = n % 100
        if (n >= 100) sum -= ring[slot]
        ring[slot] = ms
        sum += ms
        n++
        printf "%.3f %d %.3f\n", ((tick - first + 4294967296) % 4294967296) / 1000, ms, sum / (n < 100 ? n : 100)
    }' "$ticks" >"$data"
frames=$(wc -l <"$data")
# Log scale: frames of the cube take well under a millisecond, so most of their lines carry the
# same tick count as the frame before (0 ms, drawn on the lowest line); the mean shows their time.
gnuplot <<PLOT
set terminal pngcairo size 1280,600 font "DejaVu Sans,10"
set output "$output"
set title "Frame time over a whole show ($frames frames; Xvfb + Mesa llvmpipe, 640x480)"
set xlabel "show time (s)"
set ylabel "frame time (ms)"
set xrange [0:56]
set logscale y
set yrange [0.3:1000]
set ytics ("0" 0.4, "1" 1, "2" 2, "5" 5, "10" 10, "20" 20, "50" 50, "100" 100, "200" 200, "500" 500, "1000" 1000)
set grid ytics lc rgb "#dddddd"
set key outside top center horizontal
set style rect fc rgb "#ececec" fs solid 1.0 noborder
set object 1 rect from 6,graph 0 to 14.5,graph 1 behind
set object 2 rect from 26,graph 0 to 35,graph 1 behind
set object 3 rect from 43,graph 0 to 55,graph 1 behind
set label 1 "meshes" at 3,graph 0.95 center
set label 2 "cube" at 10.25,graph 0.95 center
set label 3 "vardlum" at 20.25,graph 0.95 center
set label 4 "sovepose2" at 30.5,graph 0.95 center
set label 5 "pizza2" at 39,graph 0.95 center
set label 6 "startlogo2" at 49,graph 0.95 center
plot "$data" using 1:(\$2 > 0 ? \$2 : 0.4) with points pt 7 ps 0.25 lc rgb "#4060c0" \
         title "one frame (ticks since the frame before: whole milliseconds)", \
     "$data" using 1:3 with lines lw 2 lc rgb "#d04020" title "mean of the last 100 frames"
PLOT
echo "wrote $output ($frames frames)"
