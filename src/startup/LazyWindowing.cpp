#include "startup/LazyWindowing.h"

#include <dlfcn.h>

#include "common/App.h"
#include "platform/RuntimeFailure.h"
#include "startup/Windowing.h"

void* loadLibraryEntry(const std::string& path, const char* entryName) {
    // Bound lazily, as a program is at its start: binding every function of the forty libraries
    // the windowing system brings costs a window more than all it does itself.
    void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!handle) throw RuntimeFailure(failure::FileNotFound, std::string("File not found: ") + dlerror());
    void* entry = dlsym(handle, entryName);
    if (!entry) throw RuntimeFailure(failure::FileNotFound, "File not found: " + path + ": no entry " + entryName);
    return entry;
}

void LazyDialogs::info(QWidget* owner, const std::string& title, const std::string& text) {
    library_.get().dialogs->info(owner, title, text);
}

bool LazyDialogs::askYesNo(QWidget* owner, const std::string& title, const std::string& text, BoxIcon icon) {
    return library_.get().dialogs->askYesNo(owner, title, text, icon);
}

void LazyDialogs::critical(QWidget* owner, const std::string& title, const std::string& text) {
    library_.get().dialogs->critical(owner, title, text);
}

std::optional<std::string> LazyDialogs::openFile(QWidget* owner, const FilePickerSpec& spec) {
    return library_.get().dialogs->openFile(owner, spec);
}

void LazyDialogs::setClipboardText(const std::string& text) { library_.get().dialogs->setClipboardText(text); }

namespace {
// Qt aborts the process when it starts without a display; the run gets the failure report
// instead, and the windowing library is not even loaded.
void needDisplay(App& app) {
    if (!app.displayAvailable()) throw RuntimeFailure(5, "No display to show a window on");
}
}  // namespace

void LazyWindows::run(WindowId id, App& app, Shared& shared) {
    needDisplay(app);
    library_.get().windows->run(id, app, shared);
}

std::string LazyWindows::composeCommandLine(App& app, Shared& shared) {
    needDisplay(app);
    return library_.get().windows->composeCommandLine(app, shared);
}

Downloader::Result LazyDownloader::download(const std::string& url, const std::string& destination) {
    return library_.get().download(url, destination);
}

std::string LazyPciNames::name(unsigned vendor, unsigned device) {
    return library_.get().name(vendor, device);
}
