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
scripts/layout-pack.sh build/release/src "$tmp/pack"
mkdir -p "$tmp/game"
touch "$tmp/game/war3.mpq"
printf '[FORCED_PATH]\r\nPATH=%s\r\n' "$tmp/game" >"$tmp/pack/keldwyn/config.cfg"
export XDG_CONFIG_HOME="$tmp/config"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

# The timing runs in one process, so no helper program's start-up is counted.
python3 - "$tmp/pack/keldwyn/Corvane" "$tmp/game" <<'PY'
import statistics, subprocess, sys, time

exe, game = sys.argv[1], sys.argv[2]
runs = 20

def median_ms(command):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        times.append((time.perf_counter() - start) * 1000)
    return statistics.median(times)

print(f"median wall time of {runs} runs")
print(f"  trivial process (/bin/true): {median_ms(['/bin/true']):6.2f} ms")
print(f"  --forcewc3path=<folder>:     {median_ms([exe, '--forcewc3path=' + game]):6.2f} ms")
print(f"  --sfa=ON:                    {median_ms([exe, '--sfa=ON']):6.2f} ms")
PY
