#include "platform/pci/LibPciNames.h"

#include <csetjmp>

extern "C" {
#include <pci/pci.h>
}

namespace {

// libpci reports a broken database through its error handler, which must not return and by
// default ends the process. Ours jumps back to the look-up, which then has no name.
thread_local std::jmp_buf* lookupFailed = nullptr;

[[noreturn]] void failLookup(char*, ...) { std::longjmp(*lookupFailed, 1); }
void ignore(char*, ...) {}

// No C++ object lives in this frame: the jump back must not skip a destructor.
bool lookUp(pci_access* access, unsigned vendor, unsigned device, char* buffer, int size) {
    std::jmp_buf here;
    lookupFailed = &here;
    if (setjmp(here) != 0) {
        lookupFailed = nullptr;
        return false;
    }
    const char* found = pci_lookup_name(access, buffer, size, PCI_LOOKUP_VENDOR | PCI_LOOKUP_DEVICE | PCI_LOOKUP_NO_NUMBERS,
                                        int(vendor), int(device));
    lookupFailed = nullptr;
    return found != nullptr;
}

}  // namespace

std::string LibPciNames::name(unsigned vendor, unsigned device) {
    pci_access* access = pci_alloc();
    if (!access) return {};
    access->error = failLookup;
    access->warning = ignore;
    access->debug = ignore;
    access->id_lookup_mode = PCI_LOOKUP_NO_HWDB;
    if (!idFile_.empty()) pci_set_name_list_path(access, const_cast<char*>(idFile_.c_str()), 0);
    char buffer[512];
    const bool found = lookUp(access, vendor, device, buffer, sizeof buffer);
    // The path is ours: libpci must not free it.
    if (!idFile_.empty()) pci_set_name_list_path(access, nullptr, 0);
    pci_cleanup(access);
    return found ? std::string(buffer) : std::string();
}
