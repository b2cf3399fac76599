#!/usr/bin/env bash
# Lays out a pack folder: <pack>/keldwyn/Corvane with the libraries it loads and the 7-Zip
# stand-in "7za.exe" beside it, so that the pack root (where "Version.lua" goes) is <pack>.
# The development program Corvane-dev is never laid out here: scripts/run-dev.sh adds it to a
# pack of its own.
# Usage: layout-pack.sh <folder of the built Corvane> <pack folder>
set -euo pipefail
built="$1"
pack="$2"
mkdir -p "$pack/keldwyn"
# Copies, not links: the program's folder is where the executable file really is.
for f in "$built/Corvane" "$built"/corvane-*.so "$(dirname "$0")/../pack/7za.exe"; do
  name=$(basename "$f")
  cp -f "$f" "$pack/keldwyn/$name.new"
  mv -f "$pack/keldwyn/$name.new" "$pack/keldwyn/$name"
done
