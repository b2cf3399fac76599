#include "diagnostics/HardwareDetection.h"

#include <algorithm>

#include "common/App.h"
#include "platform/SystemInfo.h"

std::string VersionNameOf(int result, std::uint32_t platformId, std::uint32_t major, std::uint32_t minor) {
    if (result != 1) return "Unable to identify your version of Windows.";
    switch (platformId) {
    case 0:
        return "Win32s on Windows 3.1";
    case 1:
        return minor == 0 ? "Windows 95" : minor == 90 ? "Windows Me" : "Windows 98";
    case 2:
        if (major == 3) return "Windows NT 3.5";
        if (major == 4) return "Windows NT 4.0";
        if (major == 5 && minor <= 2) return minor == 0 ? "Windows 2000" : minor == 1 ? "Windows XP" : "Windows Server 2003";
        if (major == 6 && minor <= 1) return minor == 0 ? "Windows Vista/Server 2008" : "Windows 7/Server 2008 R2";
        return "Windows NT";
    default:
        return "";
    }
}

bool Wow64Of(bool queryPresent, std::uint32_t flag) { return queryPresent && flag != 0; }

namespace {

// A character field's text: up to its first NUL, and no more than the field holds.
std::string fieldText(const std::string& text, std::size_t size) { return text.substr(0, std::min(text.find('\0'), size)); }

}  // namespace

bool AdapterInfoOf(int result, const AdapterFields& fields, std::vector<std::string>& Info) {
    Info.assign(5, std::string());
    if (result == 0) {
        Info[0] = "Error while retrieving Display Information";
        return false;
    }
    Info[0] = "Device String:" + fieldText(fields.deviceString, 128);
    Info[1] = "Device Name:" + fieldText(fields.deviceName, 32);
    Info[2] = "Device Key:" + fieldText(fields.deviceKey, 128);
    Info[3] = "Device ID:" + fieldText(fields.deviceId, 128);
    return true;
}

std::string GetWindowsVersionName(const App& app) {
    const std::optional<KernelFacts> kernel = app.systemInfo->kernel();
    if (!kernel) return VersionNameOf(0, 0, 0, 0);
    const std::string kernelName = kernel->name + " " + kernel->release;
    const std::string pretty = app.systemInfo->prettyName();
    return pretty.empty() ? kernelName : pretty + ", " + kernelName;
}

bool IsWow64(const App& app) {
    const Wow64Answer answer = app.systemInfo->wow64();
    return Wow64Of(answer.present, answer.flag);
}

bool GetDisplayAdapterInfo(const App& app, std::vector<std::string>& Info) {
    const std::optional<DisplayAdapter> adapter = app.systemInfo->displayAdapter();
    if (!adapter) return AdapterInfoOf(0, {}, Info);
    return AdapterInfoOf(1, {adapter->description, adapter->name, adapter->key, adapter->id}, Info);
}
