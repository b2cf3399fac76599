#pragma once
#include <string>

// The machine's facts laid out under a root folder as SystemInfo reads them: os-release files and
// display adapters under "sys", linked as the kernel links them (/sys/class/drm/<entry> to the
// entry under the device, the entry's "device" back to the device, the device's "driver" to the
// driver under /sys/bus).

// A PCI display adapter (ids "0x8086" and "0x3e92", say) at the PCI address, with its drm entry;
// returns the device's path as the machine names it ("/sys/devices/pci0000:00/<address>").
std::string addPciAdapter(const std::string& root, const std::string& entry, const std::string& address,
                          const std::string& vendor, const std::string& device, const std::string& driver);
// A platform display device that has no PCI ids, only its modalias; returns its path as above.
std::string addPlatformAdapter(const std::string& root, const std::string& entry, const std::string& name,
                               const std::string& modalias, const std::string& driver);
// A drm entry (a connector, a render node, a card) over a device that addPciAdapter or
// addPlatformAdapter made; without a device it has no "device" link.
void addDrmEntry(const std::string& root, const std::string& entry, const std::string& deviceKey = "");

// A small PCI ID database that names Intel's UHD Graphics 630 and knows one vendor without models.
inline constexpr const char* TestPciIds =
    "# test database\n"
    "1af4  Red Hat, Inc.\n"
    "8086  Intel Corporation\n"
    "\t3e92  CoffeeLake-S GT2 [UHD Graphics 630]\n"
    "\t\t1028 0869  Vostro 3470\n";
