#!/usr/bin/env bash
# Lays out a pack folder: <pack>/keldwyn/Corvane with its windowing library beside it, so that
# the pack root (where "Version.lua" goes) is <pack>.
# Usage: layout-pack.sh <folder of the built Corvane> <pack folder>
set -euo pipefail
built="$1"
pack="$2"
mkdir -p "$pack/keldwyn"
# Copies, not links: the program's folder is where the executable file really is.
for f in Corvane corvane-windowing.so; do
  cp -f "$built/$f" "$pack/keldwyn/$f.new"
  mv -f "$pack/keldwyn/$f.new" "$pack/keldwyn/$f"
done
