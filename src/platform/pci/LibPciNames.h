#pragma once
#include <string>

#include "platform/SystemInfo.h"

// Names from the PCI ID database through libpci, the maintained reader of "pci.ids". Only the
// local file is read: no udev database, no network look-up, no cache in the home folder.
class LibPciNames : public PciNames {
public:
    // idFile: the database to read; "" for the one libpci was built with.
    explicit LibPciNames(std::string idFile = "") : idFile_(std::move(idFile)) {}
    std::string name(unsigned vendor, unsigned device) override;

private:
    std::string idFile_;
};
