#!/usr/bin/env bash
# Median wall time of the modes that show nothing, over 20 runs each, beside a trivial process.
# Target: each under 20 ms.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF >/dev/null
cmake --build build/release >/dev/null

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
scripts/layout-pack.sh build/release/src/Corvane "$tmp/pack"
exe="$tmp/pack/keldwyn/Corvane"
mkdir -p "$tmp/game" "$tmp/other"
touch "$tmp/game/war3.mpq"
printf '[FORCED_PATH]\r\nPATH=%s\r\n' "$tmp/game" >"$tmp/pack/keldwyn/config.cfg"
export XDG_CONFIG_HOME="$tmp/config"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

runs=20

# Prints the median of `runs` timings of the command, in milliseconds.
median_ms() {
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    echo $(((end - start) / 1000))
  done | sort -n | awk '{t[NR] = $1} END {printf "%.2f", (t[int((NR + 1) / 2)] + t[int(NR / 2) + 1]) / 2 / 1000}'
}

printf 'median of %d runs\n' "$runs"
printf '  trivial process (/bin/true): %s ms\n' "$(median_ms /bin/true)"
printf '  --forcewc3path=<folder>: %s ms\n' "$(median_ms "$exe" "--forcewc3path=$tmp/game")"
printf '  --sfa=ON:                %s ms\n' "$(median_ms "$exe" --sfa=ON)"
