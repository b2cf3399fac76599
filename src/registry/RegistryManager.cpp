#include "registry/RegistryManager.h"

#include <cstdint>
#include <cstring>

#include "common/App.h"
#include "common/Text.h"
#include "platform/Paths.h"
#include "platform/ProfileFile.h"

std::string ReadIniValue(const App& app, const std::string& section, const std::string& key, const std::string& fileName) {
    return profile::read(paths::join(app.programFolder, fileName), section, key).value_or("");
}

profile::Snapshot ReadIniFile(const App& app, const std::string& fileName) {
    return profile::readAll(paths::join(app.programFolder, fileName));
}

void WriteIniValue(const App& app, const std::string& section, const std::string& key,
                   const std::optional<std::string>& value, const std::string& fileName) {
    profile::write(paths::join(app.programFolder, fileName), section, key, value);
}

bool WriteIniValues(const App& app, const std::string& section, const profile::KeyValues& keyValues,
                    const std::string& fileName) {
    return profile::write(paths::join(app.programFolder, fileName), section, keyValues);
}

std::string QueryRegValue(const std::optional<RegValue>& value) {
    if (!value) return "";
    if (value->type == regtype::Sz) {
        std::size_t nul = value->data.find('\0');
        return nul == std::string::npos ? value->data : value->data.substr(0, nul);
    }
    if (value->type == regtype::Binary) {
        // The receiving number holds two bytes; a longer value does not fit and reads as nothing.
        if (value->data.size() > 2) return "";
        std::uint16_t bits = 0;
        std::memcpy(&bits, value->data.data(), value->data.size());
        return std::to_string(static_cast<std::int16_t>(bits));
    }
    return "";
}

std::string ReadRegKeyValue(const App& app, RegRoot root, const std::string& subKey, const std::string& valueName) {
    return QueryRegValue(app.registry->queryValue(root, subKey, valueName));
}

void WriteRegKeyValue(const App& app, RegRoot root, const std::string& subKey, const std::string& valueName,
                      const std::string& data) {
    app.registry->setValue(root, subKey, valueName, RegValue{regtype::Sz, data + '\0'});
}

namespace {

std::string withoutDots(const std::string& extension) { return replaceAll(extension, ".", ""); }

// Icon 0 of the program's own executable, named as the shell expects it.
std::string iconOf(const App& app) {
    std::string name = app.exeName;
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return paths::join(app.programFolder, "\\" + name + ".exe,0");
}

// The shell would be told here that associations changed; this platform has no shell to tell.
void announceAssociationChange() {}

}  // namespace

void RegisterFileType(const App& app, const std::string& extension, const std::string& command, const std::string& progId) {
    std::string ext = withoutDots(extension);
    // The extension points at the file type, and the file type's default value is its display name,
    // so the shell reaches the open command and the icon below it.
    WriteRegKeyValue(app, RegRoot::ClassesRoot, progId, "", progId);
    WriteRegKeyValue(app, RegRoot::ClassesRoot, "." + ext, "", progId);
    WriteRegKeyValue(app, RegRoot::ClassesRoot, progId + "\\shell\\open\\command", "", command);
    WriteRegKeyValue(app, RegRoot::ClassesRoot, progId + "\\DefaultIcon", "", iconOf(app));
    announceAssociationChange();
}

void UnregisterFileType(const App& app, const std::string& extension, const std::string& progId) {
    std::string ext = withoutDots(extension);
    // Leaves first: a key that still has subkeys cannot be deleted.
    for (const std::string& key : {progId + "\\DefaultIcon", progId + "\\shell\\open\\command", progId + "\\shell\\open",
                                   progId + "\\shell", progId, "." + ext})
        app.registry->deleteKey(RegRoot::ClassesRoot, key);
    announceAssociationChange();
}
