#!/usr/bin/env bash
# Builds everything (release preset) and renders the built-in example into out/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
build/release/cli/boxwander demo "$@"
