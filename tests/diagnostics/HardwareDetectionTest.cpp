#include <gtest/gtest.h>

#include <functional>

#include "common/App.h"
#include "diagnostics/HardwareDetection.h"
#include "platform/SystemInfo.h"
#include "platform/pci/LibPciNames.h"
#include "support/core/MachineTree.h"
#include "support/core/TempDir.h"

namespace {

using Info = std::vector<std::string>;

// The three answers over a machine laid out under a temporary root, on 64-bit "Linux 6.1.0".
struct Machine {
    TempDir dir;
    std::string root = dir.path();
    std::string ids = dir.write("pci.ids", TestPciIds);
    LibPciNames names{ids};
    SystemInfo::Options options;
    SystemInfo info;
    App app;

    Machine() {
        options.root = root;
        options.kernel = [] { return std::optional<KernelFacts>(KernelFacts{"Linux", "6.1.0", "x86_64"}); };
        options.pciNames = &names;
    }
    App& ready() {
        info = SystemInfo(options);
        app.systemInfo = &info;
        return app;
    }
    std::pair<bool, Info> adapter() {
        Info out{"left over"};
        const bool found = GetDisplayAdapterInfo(ready(), out);
        return {found, out};
    }
};

TEST(HardwareDetection, VersionNameFromOsReleaseAndTheKernel) {
    const std::tuple<const char*, const char*, bool, const char*> cases[] = {
        {"etc/os-release", "NAME=x\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n", true, "Debian GNU/Linux 12 (bookworm), Linux 6.1.0"},
        {"etc/os-release", "PRETTY_NAME=\"Say \\\"hi\\\" \\$x\"\n", true, "Say \"hi\" $x, Linux 6.1.0"},
        {"etc/os-release", "PRETTY_NAME='Arch Linux'\n", true, "Arch Linux, Linux 6.1.0"},
        {"usr/lib/os-release", "PRETTY_NAME=\"openSUSE Tumbleweed\"\n", true, "openSUSE Tumbleweed, Linux 6.1.0"},
        {"", "", true, "Linux 6.1.0"},
        {"etc/os-release", "NAME=Debian\n", true, "Linux 6.1.0"},
        {"etc/os-release", "PRETTY_NAME=Debian\n", false, "Unable to identify your version of Windows."},
    };
    for (const auto& [file, text, kernelAnswers, name] : cases) {
        SCOPED_TRACE(name);
        Machine m;
        if (*file) {
            m.dir.write("usr/lib/os-release", "PRETTY_NAME=\"openSUSE Tumbleweed\"\n");  // read only without /etc's
            m.dir.write(file, text);
        }
        if (!kernelAnswers) m.options.kernel = [] { return std::optional<KernelFacts>(); };
        EXPECT_EQ(GetWindowsVersionName(m.ready()), name);
    }
}

TEST(HardwareDetection, VersionNameOfTheAnswer) {
    const char* NT = "Windows NT";
    const char* failed = "Unable to identify your version of Windows.";
    const std::tuple<int, std::uint32_t, std::uint32_t, std::uint32_t, const char*> cases[] = {
        {1, 0, 9, 9, "Win32s on Windows 3.1"}, {1, 1, 4, 0, "Windows 95"}, {1, 1, 4, 90, "Windows Me"}, {1, 1, 4, 10, "Windows 98"},
        {1, 2, 3, 51, "Windows NT 3.5"}, {1, 2, 4, 9, "Windows NT 4.0"}, {1, 2, 5, 0, "Windows 2000"}, {1, 2, 5, 1, "Windows XP"},
        {1, 2, 5, 2, "Windows Server 2003"}, {1, 2, 6, 0, "Windows Vista/Server 2008"}, {1, 2, 6, 1, "Windows 7/Server 2008 R2"},
        {1, 2, 5, 3, NT}, {1, 2, 6, 2, NT}, {1, 2, 10, 0, NT}, {1, 2, 2, 0, NT}, {1, 3, 6, 1, ""}, {0, 2, 6, 1, failed}, {2, 2, 6, 1, failed},
    };
    for (const auto& [result, platform, major, minor, name] : cases)
        EXPECT_EQ(VersionNameOf(result, platform, major, minor), name) << result << " " << platform << " " << major << "." << minor;
}

TEST(HardwareDetection, Wow64OnlyForA32BitProcessOnA64BitKernel) {
    EXPECT_EQ(std::vector<bool>({Wow64Of(false, 1), Wow64Of(true, 0), Wow64Of(true, 1), Wow64Of(true, 0x100)}),
              std::vector<bool>({false, false, true, true}));
    const std::tuple<int, std::optional<std::string>, bool> cases[] = {
        {64, "x86_64", false}, {32, "x86_64", true}, {32, "aarch64", true}, {32, "i686", false}, {32, std::nullopt, false},
    };
    for (const auto& [bits, machine, wow64] : cases) {
        SCOPED_TRACE(std::to_string(bits) + " bits on " + machine.value_or("(uname fails)"));
        Machine m;
        m.options.processBits = bits;
        m.options.kernel = [machine = machine]() -> std::optional<KernelFacts> {
            if (!machine) return std::nullopt;
            return KernelFacts{"Linux", "6.1.0", *machine};
        };
        EXPECT_EQ(IsWow64(m.ready()), wow64);
    }
}

TEST(HardwareDetection, AdapterInfoOfTheAnswer) {
    const std::string x(200, 'x');
    const std::tuple<int, AdapterFields, std::pair<bool, Info>> cases[] = {
        {1, {std::string("S\0s", 3), std::string("\0n", 2), std::string("KK\0k", 4), std::string("III\0", 4)},
         {true, {"Device String:S", "Device Name:", "Device Key:KK", "Device ID:III", ""}}},
        {-1, {x, x, x, x}, {true, {"Device String:" + x.substr(0, 128), "Device Name:" + x.substr(0, 32),
                                   "Device Key:" + x.substr(0, 128), "Device ID:" + x.substr(0, 128), ""}}},
        {0, {"S", "N", "K", "I"}, {false, {"Error while retrieving Display Information", "", "", "", ""}}},
    };
    for (const auto& [result, fields, answer] : cases) {
        Info out{"left over"};
        const bool found = AdapterInfoOf(result, fields, out);
        EXPECT_EQ(std::make_pair(found, out), answer) << result;
    }
}

TEST(HardwareDetection, DisplayAdapter) {
    const std::string intel = "/sys/devices/pci0000:00/0000:00:02.0";
    const Info none{"Error while retrieving Display Information", "", "", "", ""};
    const std::tuple<const char*, std::function<void(const std::string&)>, bool, Info> cases[] = {
        {"card2 before card10, connectors and render nodes left out",
         [](const std::string& root) {
             const std::string igpu = addPciAdapter(root, "card2", "0000:00:02.0", "0x8086", "0x3e92", "i915");
             addPciAdapter(root, "card10", "0000:01:00.0", "0x1af4", "0x1050", "virtio-pci");
             addDrmEntry(root, "card0-DP-1", igpu);
             addDrmEntry(root, "renderD128", igpu);
             addDrmEntry(root, "card1");  // nothing behind it
         },
         true,
         {"Device String:Intel Corporation CoffeeLake-S GT2 [UHD Graphics 630]", "Device Name:card2", "Device Key:" + intel,
          "Device ID:PCI\\VEN_8086&DEV_3E92", ""}},
        {"a model the database lacks: its driver",
         [](const std::string& root) { addPciAdapter(root, "card0", "0000:00:02.0", "0x1af4", "0x1050", "virtio-pci"); }, true,
         {"Device String:virtio-pci", "Device Name:card0", "Device Key:" + intel, "Device ID:PCI\\VEN_1AF4&DEV_1050", ""}},
        // libpci would end the process over a database it cannot parse.
        {"a broken database: its driver",
         [](const std::string& root) {
             writeFile(root + "/pci.ids", "8086  Intel Corporation\n\tnot an id\n");
             addPciAdapter(root, "card0", "0000:00:02.0", "0x8086", "0x3e92", "i915");
         },
         true, {"Device String:i915", "Device Name:card0", "Device Key:" + intel, "Device ID:PCI\\VEN_8086&DEV_3E92", ""}},
        {"a platform device: its modalias",
         [](const std::string& root) { addPlatformAdapter(root, "card0", "gpu", "of:NgpuT(null)Cbrcm,bcm2711-vc5", "vc4-drm"); },
         true,
         {"Device String:vc4-drm", "Device Name:card0", "Device Key:/sys/devices/platform/gpu",
          "Device ID:of:NgpuT(null)Cbrcm,bcm2711-vc5", ""}},
        {"no drm folder", [](const std::string&) {}, false, none},
        {"no card with a device",
         [](const std::string& root) {
             addDrmEntry(root, "card0");
             addDrmEntry(root, "renderD128", addPlatformAdapter(root, "card0-DP-1", "gpu", "platform:gpu", ""));
         },
         false, none},
    };
    for (const auto& [what, make, found, info] : cases) {
        SCOPED_TRACE(what);
        Machine m;
        make(m.root);
        EXPECT_EQ(m.adapter(), std::make_pair(found, info));
    }
}

// The program itself reads the database libpci was built with.
TEST(HardwareDetection, DefaultDatabaseNamesAWellKnownAdapter) {
    LibPciNames names;
    EXPECT_EQ(names.name(0x8086, 0x3e92), "Intel Corporation CoffeeLake-S GT2 [UHD Graphics 630]");
    EXPECT_EQ(names.name(0x8086, 0xfffe), "");
}

}  // namespace
