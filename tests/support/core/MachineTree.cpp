#include "support/core/MachineTree.h"

#include <filesystem>

#include "support/core/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string addDevice(const std::string& root, const std::string& key, const std::string& driver) {
    const std::string device = root + key;
    fs::create_directories(device);
    if (!driver.empty()) {
        fs::create_directories(root + "/sys/bus/drivers/" + driver);
        fs::create_directory_symlink(fs::relative(root + "/sys/bus/drivers/" + driver, device), device + "/driver");
    }
    return key;
}

}  // namespace

void addDrmEntry(const std::string& root, const std::string& entry, const std::string& deviceKey) {
    const std::string owner = deviceKey.empty() ? root + "/sys/devices/virtual" : root + deviceKey;
    const std::string at = owner + "/drm/" + entry;
    fs::create_directories(at);
    if (!deviceKey.empty()) fs::create_directory_symlink("../..", at + "/device");
    fs::create_directories(root + "/sys/class/drm");
    fs::create_directory_symlink(fs::relative(at, root + "/sys/class/drm"), root + "/sys/class/drm/" + entry);
}

std::string addPciAdapter(const std::string& root, const std::string& entry, const std::string& address,
                          const std::string& vendor, const std::string& device, const std::string& driver) {
    const std::string key = addDevice(root, "/sys/devices/pci0000:00/" + address, driver);
    writeFile(root + key + "/vendor", vendor + "\n");
    writeFile(root + key + "/device", device + "\n");
    writeFile(root + key + "/modalias", "pci:v0000" + vendor.substr(2) + "d0000" + device.substr(2) + "sv00sd00bc03sc00i00\n");
    addDrmEntry(root, entry, key);
    return key;
}

std::string addPlatformAdapter(const std::string& root, const std::string& entry, const std::string& name,
                               const std::string& modalias, const std::string& driver) {
    const std::string key = addDevice(root, "/sys/devices/platform/" + name, driver);
    writeFile(root + key + "/modalias", modalias + "\n");
    addDrmEntry(root, entry, key);
    return key;
}
