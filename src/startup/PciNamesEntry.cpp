#include "platform/pci/LibPciNames.h"
#include "startup/Windowing.h"

extern "C" __attribute__((visibility("default"))) PciNames* corvane_pci_names() {
    static LibPciNames names;
    return &names;
}
