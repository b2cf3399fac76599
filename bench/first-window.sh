#!/usr/bin/env bash
# The processor time (user + system, from the ended process's rusage) of one start of a window,
# from exec until the window is visible plus 0.2 s idle: "--setwc3path" of the release build
# beside a bare Qt Widgets window of the same size with one label and one button, built here.
# Both run under one Xvfb, 11 starts each, taken in turns; the medians and their ratio are
# printed. Target: the ratio at most 1.2. Processor time hardly moves with the machine's load,
# where wall time does.
set -euo pipefail
source "$(dirname "$0")/release-build.sh"
scripts/layout-pack.sh build/release/src "$tmp/pack" >/dev/null
mkdir -p "$tmp/game"
touch "$tmp/game/war3.mpq"
printf '[FORCED_PATH]\r\nPATH=%s\r\n' "$tmp/game" >"$tmp/pack/keldwyn/config.cfg"

cat >"$tmp/bare.cpp" <<'CPP'
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QDialog window;
    window.setWindowTitle("Bare window");
    window.setFixedSize(463, 273);
    QLabel label("Warcraft III path:", &window);
    label.setGeometry(8, 8, 300, 17);
    QPushButton button("&Retry", &window);
    button.setGeometry(8, 40, 81, 25);
    window.show();
    return application.exec();
}
CPP
# shellcheck disable=SC2046
g++ -O2 -fPIC -o "$tmp/bare" "$tmp/bare.cpp" $(pkg-config --cflags --libs Qt6Widgets)

export XDG_CONFIG_HOME="$tmp/config" HOME="$tmp" XDG_CACHE_HOME="$tmp/cache"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
python3 - "$tmp" <<'PY'
import os, signal, statistics, subprocess, sys, time

sys.path.insert(0, "bench")
import xserver

root = sys.argv[1]
server = xserver.start()

def cpu_ms(argv, title):
    child = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    xserver.wait_for(title, child)
    time.sleep(0.2)
    child.send_signal(signal.SIGKILL)
    _, _, usage = os.wait4(child.pid, 0)
    child.returncode = 0
    return (usage.ru_utime + usage.ru_stime) * 1000

runs = 11
corvane, bare = [], []
try:
    for _ in range(runs):
        corvane.append(cpu_ms([f"{root}/pack/keldwyn/Corvane", "--setwc3path"], "^Set Manually Warcraft III path[.][.][.]$"))
        bare.append(cpu_ms([f"{root}/bare"], "^Bare window$"))
finally:
    server.kill()
c, b = statistics.median(corvane), statistics.median(bare)
print(f"processor time from exec until visible + 0.2 s, median of {runs} starts each, in turns")
print(f"  --setwc3path:                  {c:6.1f} ms   ({min(corvane):.1f} to {max(corvane):.1f})")
print(f"  bare window, label and button: {b:6.1f} ms   ({min(bare):.1f} to {max(bare):.1f})")
print(f"  ratio:                         {c / b:6.2f}    (target: at most 1.2)")
PY
