#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

namespace regtype {
constexpr std::uint32_t None = 0;
constexpr std::uint32_t Sz = 1;
constexpr std::uint32_t ExpandSz = 2;
constexpr std::uint32_t Binary = 3;
constexpr std::uint32_t Dword = 4;
constexpr std::uint32_t MultiSz = 7;
}  // namespace regtype

// A value as the registry holds it: its type and its raw data bytes
// (a REG_SZ written by the program holds its text and one terminating NUL).
struct RegValue {
    std::uint32_t type = regtype::None;
    std::string data;
    bool operator==(const RegValue&) const = default;
};

// The registry, kept in one text file in the standard export format
// ("Windows Registry Editor Version 5.00"), in plain bytes or, as the system's registry editor
// writes it, in UTF-16LE after a byte-order mark; a write keeps the form the file was read in
// (texts stay bytes in the store either way). Key and value names match without regard to
// case and keep the case they were first written with; an empty value name is the default
// value ("@"). Reads create nothing. Every update re-reads the file under an advisory lock
// and replaces it atomically, so two runs cannot lose each other's writes. A file that cannot
// be parsed is moved aside under a time-stamped name before a new one is written. Something
// other than a regular file at the file's name is never read nor moved: every call that would
// read it (a Batch's start included) raises RuntimeFailure naming it; nothing else raises.
class RegistryStore {
public:
    explicit RegistryStore(std::string filePath);
    ~RegistryStore();

    // $XDG_CONFIG_HOME/corvane/registry.reg, or ~/.config/corvane/registry.reg.
    static std::string defaultPath();

    const std::string& filePath() const { return path_; }

    bool keyExists(RegRoot root, const std::string& subKey) const;
    std::optional<RegValue> queryValue(RegRoot root, const std::string& subKey, const std::string& name) const;

    // Creates the key and every missing key on its path; false when the store cannot be written.
    bool createKey(RegRoot root, const std::string& subKey);
    // Stores a value, creating the key path when missing.
    bool setValue(RegRoot root, const std::string& subKey, const std::string& name, const RegValue& value);
    // Deletes a key that has no subkeys (its values go with it); false when it is missing or
    // still has subkeys, so callers delete leaves first.
    bool deleteKey(RegRoot root, const std::string& subKey);

    // Gathers the updates made while it lives under one lock, and writes the store once when it
    // ends: a run that sets many values holds the store for the whole run, and a second run
    // waits instead of interleaving. Reads through the store see the gathered updates.
    class Batch {
    public:
        explicit Batch(RegistryStore& store);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        RegistryStore& store_;
        bool owner_ = false;  // the outermost batch writes and lets go of the lock
    };

    struct Pending;

private:
    std::string path_;
    std::unique_ptr<Pending> pending_;
};

// The root's name as the export format writes it ("HKEY_CLASSES_ROOT").
const char* rootName(RegRoot root);
