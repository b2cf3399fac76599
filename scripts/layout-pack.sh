#!/usr/bin/env bash
# Lays out a pack folder: <pack>/keldwyn/Corvane, so that the pack root ("Version.lua") is <pack>.
# Usage: layout-pack.sh <built Corvane> <pack folder>
set -euo pipefail
exe="$1"
pack="$2"
mkdir -p "$pack/keldwyn"
# A copy, not a link: the program's folder is where the executable file really is.
cp -f "$exe" "$pack/keldwyn/Corvane.new"
mv -f "$pack/keldwyn/Corvane.new" "$pack/keldwyn/Corvane"
