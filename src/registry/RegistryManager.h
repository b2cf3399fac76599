#pragma once
#include <optional>
#include <string>

#include "platform/ProfileFile.h"
#include "platform/Registry.h"

struct App;

// The program's two stores: the settings file in the program's folder and the registry.
// A failure gives the empty text or a write that did not happen; only a registry file that is not
// a regular file raises (RegistryStore), so that the run ends in the report naming it.

// A key of the settings file; the empty text when the file, section or key is missing or the
// value is empty. At most 254 characters come back.
std::string ReadIniValue(const App& app, const std::string& section, const std::string& key, const std::string& fileName);
// The settings file read once, for a reader of many keys: each key as ReadIniValue gives it is
// get(section, key).value_or("").
profile::Snapshot ReadIniFile(const App& app, const std::string& fileName);
// Writes one key; a null value deletes it. A file the user could not write is left as it is.
void WriteIniValue(const App& app, const std::string& section, const std::string& key,
                   const std::optional<std::string>& value, const std::string& fileName);
// Writes many keys of one section at once, all or none; unlike WriteIniValue it tells whether
// the file was written (false leaves it unchanged).
bool WriteIniValues(const App& app, const std::string& section, const profile::KeyValues& keyValues,
                    const std::string& fileName);

// A value as text by its type: REG_SZ up to its first NUL, REG_BINARY as a 16-bit signed
// little-endian number (at most 2 bytes), everything else (and nothing) empty.
std::string QueryRegValue(const std::optional<RegValue>& value);
std::string ReadRegKeyValue(const App& app, RegRoot root, const std::string& subKey, const std::string& valueName);
// Stores one REG_SZ value, creating the key path when missing.
void WriteRegKeyValue(const App& app, RegRoot root, const std::string& subKey, const std::string& valueName,
                      const std::string& data);

// One file extension bound to one file type under HKEY_CLASSES_ROOT.
void RegisterFileType(const App& app, const std::string& extension, const std::string& command, const std::string& progId);
void UnregisterFileType(const App& app, const std::string& extension, const std::string& progId);
