#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the plug-in and renders a demo kick through it.
#   ./setup.sh            Release build in ./build
#   BUILD_DIR=... BUILD_TYPE=Debug ./setup.sh
set -euo pipefail
cd "$(dirname "$0")"

BUILD_DIR=${BUILD_DIR:-build}
BUILD_TYPE=${BUILD_TYPE:-Release}

PACKAGES=(
    build-essential cmake pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    juce-modules-source-data
    libcairo2-dev libx11-dev libxtst-dev fonts-liberation fontconfig
    nlohmann-json3-dev
    xvfb
    locales-all
)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    echo "Installing: ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE="$BUILD_TYPE"
cmake --build "$BUILD_DIR" -j "$(nproc)"

# The demo: four bars of the default pattern at 120 BPM, rendered through the bundle as a host would.
# Skipped (with a note) while the plug-in's bundle is not built yet.
PLUGIN_NAME=$(sed -n 's/^GRUNDMOOR_PLUGIN_NAME:[A-Z]*=//p' "$BUILD_DIR/CMakeCache.txt" 2>/dev/null || true)
PLUGIN_NAME=${PLUGIN_NAME:-GrundmoorRumbleKick}
if [ -x "$BUILD_DIR/host/grundmoor-render" ] && [ ! -d "$BUILD_DIR/$PLUGIN_NAME.vst3" ]; then
    echo "No $BUILD_DIR/$PLUGIN_NAME.vst3 yet: demo render skipped."
elif [ -x "$BUILD_DIR/host/grundmoor-render" ]; then
    "$BUILD_DIR/host/grundmoor-render" --bundle "$BUILD_DIR/$PLUGIN_NAME.vst3" \
        --bars 4 --tempo 120 --out "$BUILD_DIR/demo.wav"
fi
