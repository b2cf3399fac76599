#!/usr/bin/env bash
# Time of the patcher's whole apply (7-Zip extraction and installation over the game folder),
# beside "7za x" followed by "cp" of the same files, as a ratio, for two archives:
#   - 20 files of 2.5 MB that do not compress (about 50 MB). Target: at most 1.3.
#   - 10,000 files of 1 KB. Target: at most 2.
# In both, the game folder holds older copies of half the files, so the apply replaces some.
# The fixed one-second pause after an installation is not counted: it is a wait, not work.
set -euo pipefail
source "$(dirname "$0")/release-build.sh" patch_apply
mkdir -p "$tmp/pack/keldwyn/Patches"
cp pack/7za.exe "$tmp/pack/keldwyn/7za.exe"

export QT_QPA_PLATFORM=offscreen
python3 - "$tmp" build/release/bench/patch_apply <<'PY'
import os, shutil, statistics, subprocess, sys, time

tmp, apply = sys.argv[1], sys.argv[2]
program = os.path.join(tmp, "pack", "keldwyn")
runs = 5

# name, archive, file count, file size, target ratio, and the apply's figures (ms, ratio) on this
# machine before the installation read the game folder once: it looked every file's name up in a
# fresh listing of the folder, and copied each file.
scenarios = [
    ("20 files of 2.5 MB", "TFTVersion1.26a.zip", 20, 2621440, 1.3, None),
    ("10,000 files of 1 KB", "TFTVersion1.27a.zip", 10000, 1024, 2.0, (21409.8, 8.93)),
]

def build(archive, count, size):
    data = os.path.join(tmp, "data")
    shutil.rmtree(data, ignore_errors=True)
    os.makedirs(data)
    width = len(str(count))
    for i in range(1, count + 1):
        with open(os.path.join(data, f"file{i:0{width}d}.mpq"), "wb") as f:
            f.write(os.urandom(size))
    path = os.path.join(program, "Patches", archive)
    subprocess.run(["7za", "a", "-tzip", path, "."], cwd=data, check=True, stdout=subprocess.DEVNULL)
    return sorted(os.listdir(data)), path

def fresh(folder, names):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name in names[: len(names) // 2]:
        with open(os.path.join(folder, name), "wb") as f:
            f.write(b"old")

def patcher_ms(archive, names):
    game = os.path.join(tmp, "game")
    fresh(game, names)
    out = subprocess.run([apply, program, archive, game], check=True, capture_output=True, text=True)
    figures = dict(line.split("=", 1) for line in out.stdout.splitlines() if line.startswith(("apply_ms=", "outcome=")))
    if "moved to" not in figures.get("outcome", ""):
        sys.exit("the apply failed: " + figures.get("outcome", out.stdout))
    return float(figures["apply_ms"])

def baseline_ms(archive, names):
    game = os.path.join(tmp, "game2")
    fresh(game, names)
    out = os.path.join(tmp, "out")
    shutil.rmtree(out, ignore_errors=True)
    start = time.perf_counter()
    subprocess.run(["7za", "x", archive, "-o" + out, "-aoa"], check=True, stdout=subprocess.DEVNULL)
    names = [os.path.join(out, n) for n in sorted(os.listdir(out))]
    subprocess.run(["cp", "-f"] + names + [game], check=True)
    return (time.perf_counter() - start) * 1000

print(f"median of {runs} runs")
for title, archive, count, size, target, before in scenarios:
    names, path = build(archive, count, size)
    # Taken in turns: the file system's state after so many files come and go sways both alike.
    ours, theirs = [], []
    for _ in range(runs):
        ours.append(patcher_ms(archive, names))
        theirs.append(baseline_ms(path, names))
    ours, theirs = statistics.median(ours), statistics.median(theirs)
    print(f"{title} (archive {os.path.getsize(path) / 1000000:.1f} MB)")
    was = f"   (before one read of the game folder: {before[0]:.1f} ms)" if before else ""
    print(f"  patcher apply (extract + install): {ours:8.1f} ms{was}")
    print(f"  7za x + cp:                        {theirs:8.1f} ms")
    was = f"   (before: {before[1]:.2f})" if before else ""
    print(f"  ratio:                             {ours / theirs:8.2f}{was}   target: at most {target}")
    os.remove(path)
PY
