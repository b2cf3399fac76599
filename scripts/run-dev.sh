#!/usr/bin/env bash
# Installs what is missing, builds the development program Corvane-dev, lays out its own pack
# folder (build/dev-pack) and starts it. It reads no command line: its "Test tool" window
# composes one, which it then runs as Corvane would run it.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"

scripts/install-deps.sh
cmake -S . -B build/dev -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVANE_TESTS=OFF -DCORVANE_DEVELOPMENT=ON >/dev/null
cmake --build build/dev
scripts/layout-pack.sh build/dev/src build/dev-pack
# Copied, then renamed over the old one, as the pack's own files are.
cp -f build/dev/src/Corvane-dev build/dev-pack/keldwyn/Corvane-dev.new
mv -f build/dev-pack/keldwyn/Corvane-dev.new build/dev-pack/keldwyn/Corvane-dev
exec build/dev-pack/keldwyn/Corvane-dev
