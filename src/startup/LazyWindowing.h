#pragma once
#include <string>

#include "common/Windows.h"
#include "platform/Download.h"
#include "platform/SystemInfo.h"
#include "ui/Dialogs.h"

struct Windowing;

// Loads the windowing library from the program's folder the first time a box or a window is
// needed. A run that shows nothing never maps the windowing system.
class WindowingLibrary {
public:
    explicit WindowingLibrary(std::string path) : path_(std::move(path)) {}
    // Raises when the library cannot be loaded.
    Windowing& get();

private:
    std::string path_;
    Windowing* loaded_ = nullptr;
};

class LazyDialogs : public Dialogs {
public:
    explicit LazyDialogs(WindowingLibrary& library) : library_(library) {}
    void info(QWidget* owner, const std::string& title, const std::string& text) override;
    bool askYesNo(QWidget* owner, const std::string& title, const std::string& text,
                  BoxIcon icon = BoxIcon::None) override;
    void critical(QWidget* owner, const std::string& title, const std::string& text) override;
    std::optional<std::string> openFile(QWidget* owner, const FilePickerSpec& spec) override;
    void setClipboardText(const std::string& text) override;

private:
    WindowingLibrary& library_;
};

class LazyWindows : public WindowRunner {
public:
    explicit LazyWindows(WindowingLibrary& library) : library_(library) {}
    void run(WindowId id, App& app, Shared& shared) override;
    std::string composeCommandLine(App& app, Shared& shared) override;

private:
    WindowingLibrary& library_;
};

class LazyDownloader : public Downloader {
public:
    explicit LazyDownloader(WindowingLibrary& library) : library_(library) {}
    Result download(const std::string& url, const std::string& destination) override;

private:
    WindowingLibrary& library_;
};

// Only the status report names display adapters, and it runs in a window: the database reader
// stays out of the executable with the windowing side.
class LazyPciNames : public PciNames {
public:
    explicit LazyPciNames(WindowingLibrary& library) : library_(library) {}
    std::string name(unsigned vendor, unsigned device) override;

private:
    WindowingLibrary& library_;
};
