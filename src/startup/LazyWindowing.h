#pragma once
#include <string>

#include "common/Windows.h"
#include "platform/Download.h"
#include "platform/SystemInfo.h"
#include "ui/Dialogs.h"

struct Windowing;

// A library beside the program, loaded the first time it is needed: its entry's answer is kept.
// Raises when the library or its entry cannot be found.
void* loadLibraryEntry(const std::string& path, const char* entryName);

template <class Service>
class LazyLibrary {
public:
    LazyLibrary(std::string path, const char* entryName) : path_(std::move(path)), entryName_(entryName) {}
    Service& get() {
        if (!loaded_) loaded_ = reinterpret_cast<Service* (*)()>(loadLibraryEntry(path_, entryName_))();
        return *loaded_;
    }

private:
    std::string path_;
    const char* entryName_;
    Service* loaded_ = nullptr;
};

// The windowing library, loaded the first time a box or a window is needed: a run that shows
// nothing never maps the windowing system.
using WindowingLibrary = LazyLibrary<Windowing>;
using DownloadLibrary = LazyLibrary<Downloader>;
using PciNamesLibrary = LazyLibrary<PciNames>;

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

// Only the patcher downloads.
class LazyDownloader : public Downloader {
public:
    explicit LazyDownloader(DownloadLibrary& library) : library_(library) {}
    Result download(const std::string& url, const std::string& destination) override;

private:
    DownloadLibrary& library_;
};

// Only the status report names display adapters.
class LazyPciNames : public PciNames {
public:
    explicit LazyPciNames(PciNamesLibrary& library) : library_(library) {}
    std::string name(unsigned vendor, unsigned device) override;

private:
    PciNamesLibrary& library_;
};
