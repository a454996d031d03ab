#!/usr/bin/env bash
# Builds everything in the given preset (release by default) and runs all tests. The
# windows preset cross-builds the module and its tests and runs them under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-release}
if [[ $preset == windows ]]; then
  scripts/install-deps.sh --windows
else
  scripts/install-deps.sh --test
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
