#!/usr/bin/env bash
# Installs what is missing, builds in Release, lays out the pack folder and starts Corvane
# with the options given, e.g. ./run.sh --setwc3path
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cd "$here"

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF >/dev/null
cmake --build build/release
scripts/layout-pack.sh build/release/src build/pack
exec build/pack/keldwyn/Corvane "$@"
