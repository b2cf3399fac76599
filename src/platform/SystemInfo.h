#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The machine's facts for the status report: the system's name, whether a 32-bit process runs on
// a 64-bit kernel and its first display adapter. Everything is read under a root folder ("" for the machine itself),
// so tests bring their own "etc" and "sys"; the kernel's answer and the process's own width are
// given, so tests can make the kernel fail or run as a 32-bit process would.

// What uname tells.
struct KernelFacts {
    std::string name;     // "Linux"
    std::string release;  // "6.1.0-18-amd64"
    std::string machine;  // "x86_64"
};

// The kernel's own answer; nothing when uname fails.
std::optional<KernelFacts> systemKernel();

// Names from the PCI ID database.
class PciNames {
public:
    virtual ~PciNames() = default;
    // The vendor's and the model's names, "" when the database lacks either.
    virtual std::string name(unsigned vendor, unsigned device) = 0;
};

// The first display adapter, as the report names it.
struct DisplayAdapter {
    std::string description;  // vendor and model, else the kernel driver's name, else ""
    std::string name;         // the drm entry: "card0"
    std::string key;          // the device's path under /sys/devices
    std::string id;           // "PCI\VEN_8086&DEV_3E92", else the device's modalias, else ""
};

// The WOW64 query as this platform answers it: there whenever the kernel names its machine, its
// flag set for a 32-bit process on a 64-bit kernel.
struct Wow64Answer {
    bool present = false;
    std::uint32_t flag = 0;
};

class SystemInfo {
public:
    struct Options {
        std::string root;  // prefix of every path read; "" for the machine itself
        std::function<std::optional<KernelFacts>()> kernel = systemKernel;
        int processBits = int(sizeof(void*) * 8);
        PciNames* pciNames = nullptr;  // none: adapters are named by their driver
    };

    SystemInfo() = default;
    explicit SystemInfo(Options options) : options_(std::move(options)) {}

    std::optional<KernelFacts> kernel() const { return options_.kernel(); }
    // PRETTY_NAME of os-release ("/etc/os-release", else "/usr/lib/os-release"), unquoted;
    // "" when there is none.
    std::string prettyName() const;
    Wow64Answer wow64() const;
    bool is64BitProcess() const { return options_.processBits >= 64; }
    // The lowest-numbered "card<N>" under /sys/class/drm that has a device; nothing when none has.
    std::optional<DisplayAdapter> displayAdapter() const;

private:
    Options options_;
};
