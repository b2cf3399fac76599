#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer in its
# own build folder and runs every test.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cd "$here"

scripts/install-deps.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON >/dev/null
cmake --build build/test
cd build/test
ctest --output-on-failure -j "$(nproc)"
