#!/usr/bin/env bash
# Builds (if needed) and runs every test. Run ./setup.sh once first on a fresh machine.
set -euo pipefail
cd "$(dirname "$0")"
BUILD_DIR=${BUILD_DIR:-build}
cmake --build "$BUILD_DIR" -j "$(nproc)"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"
