#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/core/TempDir.h"

// A real X server for end-to-end tests of the windows: Xvfb on a display it picks itself
// (-displayfd; the machine is shared, so never a fixed number), optionally the openbox window
// manager, and helpers around xdotool, xprop, xwininfo and import. Everything it starts ends
// with it. Window ids are X window numbers.
class XSession {
public:
    struct Options {
        bool windowManager = false;
        int width = 1024;
        int height = 768;
    };

    // A program running on the session's display; killed (by its id) if it outlives the object.
    class Program {
    public:
        explicit Program(int pid) : pid_(pid) {}
        Program(Program&& other) noexcept : pid_(other.pid_) { other.pid_ = -1; }
        Program(const Program&) = delete;
        ~Program();
        // Its exit status once it has ended within the limit (128 + signal when killed by one),
        // nothing while it still runs.
        std::optional<int> wait(int timeoutMs);
    int pid() const { return pid_; }

    private:
        int pid_;
    };

    struct Geometry {
        int x = 0, y = 0, width = 0, height = 0;  // the client area, in screen coordinates
    };

    explicit XSession(Options options);
    XSession() : XSession(Options{}) {}
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    const std::string& display() const { return display_; }
    // A display that no server holds: no socket of its own, and an X client cannot open it.
    static std::string unheldDisplay();
    int width() const { return options_.width; }
    int height() const { return options_.height; }

    // Starts a program with this test's environment plus DISPLAY, Qt's X11 platform and `env`;
    // its standard input is `input` when given, ours otherwise.
    Program start(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {},
                  int input = -1) const;
    // Runs an X client to its end; what it printed on standard output.
    std::string run(const std::vector<std::string>& argv) const;

    // Every visible window whose title is exactly `title`.
    std::vector<unsigned long> windows(const std::string& title) const;
    // The visible window whose title is exactly `title`, once one appears within the limit.
    std::optional<unsigned long> waitForWindow(const std::string& title, int timeoutMs = 20000) const;
    // Waits within the limit until the window is no longer on the screen; false when it still is.
    bool waitForWindowGone(unsigned long window, int timeoutMs = 20000) const;
    // One property as xprop prints it ("" when it is not set).
    std::string property(unsigned long window, const std::string& name) const;
    std::optional<unsigned long> transientFor(unsigned long window) const;
    // Whether the window manager lists the state (such as "_NET_WM_STATE_ABOVE") for the window.
    bool hasState(unsigned long window, const std::string& state) const;
    // The managed windows from the bottom of the stack to its top.
    std::vector<unsigned long> stacking() const;
    std::optional<unsigned long> activeWindow() const;
    // Waits within the limit until the window is the active one; false when it never becomes so.
    bool waitForActive(unsigned long window, int timeoutMs = 20000) const;
    // Asks the window manager to activate the window and waits until it is the active one.
    bool activate(unsigned long window) const;
    Geometry geometry(unsigned long window) const;

    // Keys as xdotool names them ("Return", "Tab", "alt+F4"), typed into the focused window.
    void key(const std::string& keys) const;
    // Text typed character by character into the focused window.
    void type(const std::string& text) const;
    void click(int x, int y) const;
    void screenshot(const std::string& pngPath) const;

private:
    std::vector<std::string> environment(const std::map<std::string, std::string>& extra) const;

    Options options_;
    TempDir home_;
    std::string display_;
    std::optional<Program> server_;
    std::optional<Program> windowManager_;
};

// Waits within the limit until the condition holds, looking again every 50 ms; false when it never does.
bool eventually(const std::function<bool()>& condition, int timeoutMs = 20000);
