#!/usr/bin/env bash
# Time of the patcher's whole apply (7-Zip extraction and installation over the game folder) of a
# 50 MB archive, beside "7za x" followed by "cp" of the same files, as a ratio. Target: at most 1.3.
# The fixed one-second pause after an installation is not counted: it is a wait, not work.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF >/dev/null
cmake --build build/release --target patch_apply >/dev/null

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/data" "$tmp/pack/keldwyn/Patches"
cp pack/7za.exe "$tmp/pack/keldwyn/7za.exe"
# 20 files of 2.5 MB that do not compress: the archive is about 50 MB.
for i in $(seq -w 1 20); do head -c 2621440 /dev/urandom >"$tmp/data/file$i.mpq"; done
(cd "$tmp/data" && 7za a -tzip "$tmp/pack/keldwyn/Patches/TFTVersion1.26a.zip" . >/dev/null)
ls -l "$tmp/pack/keldwyn/Patches/TFTVersion1.26a.zip" | awk '{printf "archive: %.1f MB\n", $5 / 1000000}'

export QT_QPA_PLATFORM=offscreen
python3 - "$tmp" build/release/bench/patch_apply <<'PY'
import os, shutil, statistics, subprocess, sys, time

tmp, apply = sys.argv[1], sys.argv[2]
program = os.path.join(tmp, "pack", "keldwyn")
archive = os.path.join(program, "Patches", "TFTVersion1.26a.zip")
runs = 5

def fresh(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    # The game folder holds older copies of half the files, so the apply replaces some.
    for i in range(1, 11):
        with open(os.path.join(folder, f"file{i:02d}.mpq"), "wb") as f:
            f.write(b"old")

def patcher_ms():
    game = os.path.join(tmp, "game")
    fresh(game)
    out = subprocess.run([apply, program, "TFTVersion1.26a.zip", game], check=True, capture_output=True, text=True)
    figures = dict(line.split("=", 1) for line in out.stdout.splitlines() if line.startswith(("apply_ms=", "outcome=")))
    if "moved to" not in figures.get("outcome", ""):
        sys.exit("the apply failed: " + figures.get("outcome", out.stdout))
    return float(figures["apply_ms"])

def baseline_ms():
    game = os.path.join(tmp, "game2")
    fresh(game)
    out = os.path.join(tmp, "out")
    shutil.rmtree(out, ignore_errors=True)
    start = time.perf_counter()
    subprocess.run(["7za", "x", archive, "-o" + out, "-aoa"], check=True, stdout=subprocess.DEVNULL)
    names = [os.path.join(out, n) for n in sorted(os.listdir(out))]
    subprocess.run(["cp", "-f"] + names + [game], check=True)
    return (time.perf_counter() - start) * 1000

ours = statistics.median(patcher_ms() for _ in range(runs))
theirs = statistics.median(baseline_ms() for _ in range(runs))
print(f"median of {runs} runs")
print(f"  patcher apply (extract + install): {ours:8.1f} ms")
print(f"  7za x + cp:                        {theirs:8.1f} ms")
print(f"  ratio:                             {ours / theirs:8.2f}")
PY
