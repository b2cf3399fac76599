"""The benchmarks' X server: Xvfb on a display it picks itself (machines are shared), and the wait
for a window of a title. Imported by the benchmark scripts, which run from the project's root."""
import os, subprocess, sys, time


def start():
    """Starts Xvfb, points DISPLAY at it and returns the server's process."""
    read_fd, write_fd = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                              pass_fds=[write_fd], stderr=subprocess.DEVNULL)
    os.close(write_fd)
    os.environ["DISPLAY"] = ":" + os.read(read_fd, 64).decode().strip()
    return server


def visible(title):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.split()


def wait_for(title, program, interval=0.005, timeout=20):
    """The moment a window whose title matches is visible; ends the benchmark with what the
    program said when it ends or shows nothing within the limit, rather than waiting for ever."""
    deadline = time.monotonic() + timeout
    while not visible(title):
        if program.poll() is not None or time.monotonic() > deadline:
            program.kill()
            error = program.communicate()[1] or b""
            sys.exit(f"{program.args[0]} showed no window: {error.decode(errors='replace')[-2000:]}")
        time.sleep(interval)
    return time.perf_counter()
