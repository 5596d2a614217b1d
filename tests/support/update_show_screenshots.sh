#!/bin/sh
# Remakes the screenshots of the show in docs/ from the end-to-end test that plays the whole
# show (a built tree is needed; the test starts its own X server):
#   tests/support/update_show_screenshots.sh [BUILD_DIR]     (BUILD_DIR defaults to ./build)
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
test_name=VeskopShow.ShowsEachSceneInItsSpanAndEndsWith0After55Seconds
"$build/tests/e2e/veskop_show_e2e_test" --gtest_filter="$test_name"
shots="$build/tests/e2e/artifacts/$test_name"
for scene in meshes cube vardlum sovepose2 pizza2 startlogo2; do
    # Half size, no metadata (dates would change the file at every run).
    convert "$shots/$scene.png" -resize 320x240 -strip "$root/docs/show-$scene.png"
done
