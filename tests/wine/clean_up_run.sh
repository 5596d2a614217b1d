#!/usr/bin/env bash
# Ends what is left of Wine in a run of the wine tests and removes the run's prefix (700 MB).
# Usage: clean_up_run.sh RUN
set -euo pipefail
run="$1"
"$(dirname "$0")/run_wine.sh" "$run" 30 wineserver -k || true
rm -rf "$run"
