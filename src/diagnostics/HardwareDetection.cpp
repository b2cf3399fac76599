#include "diagnostics/HardwareDetection.h"

#include "common/App.h"
#include "platform/SystemInfo.h"

std::string GetWindowsVersionName(const App& app) {
    const std::optional<KernelFacts> kernel = app.systemInfo->kernel();
    if (!kernel) return "Unable to identify your version of Windows.";
    const std::string kernelName = kernel->name + " " + kernel->release;
    const std::string pretty = app.systemInfo->prettyName();
    return pretty.empty() ? kernelName : pretty + ", " + kernelName;
}

bool IsWow64(const App& app) { return app.systemInfo->is64Bit(); }

bool GetDisplayAdapterInfo(const App& app, std::vector<std::string>& Info) {
    Info.assign(5, std::string());
    const std::optional<DisplayAdapter> adapter = app.systemInfo->displayAdapter();
    if (!adapter) {
        Info[0] = "Error while retrieving Display Information";
        return false;
    }
    Info[0] = "Device String:" + adapter->description;
    Info[1] = "Device Name:" + adapter->name;
    Info[2] = "Device Key:" + adapter->key;
    Info[3] = "Device ID:" + adapter->id;
    return true;
}
