#include "platform/ExeVersion.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/RawIo.h"

namespace {

constexpr std::size_t MaxImageBytes = std::size_t(64) << 20;
constexpr std::uint32_t VersionResourceType = 16;
constexpr std::uint32_t FixedFileInfoSignature = 0xFEEF04BD;
constexpr std::size_t FixedFileInfoSize = 52;
constexpr std::uint32_t HighBit = 0x80000000u;

// Little-endian reads that fail instead of leaving the buffer.
class Bytes {
public:
    explicit Bytes(std::string_view data) : data_(data) {}

    std::size_t size() const { return data_.size(); }

    bool has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= data_.size() && length <= data_.size() - offset;
    }

    std::optional<std::uint16_t> u16(std::uint64_t offset) const {
        if (!has(offset, 2)) return std::nullopt;
        return std::uint16_t(byte(offset) | byte(offset + 1) << 8);
    }

    std::optional<std::uint32_t> u32(std::uint64_t offset) const {
        if (!has(offset, 4)) return std::nullopt;
        return std::uint32_t(byte(offset)) | std::uint32_t(byte(offset + 1)) << 8 |
               std::uint32_t(byte(offset + 2)) << 16 | std::uint32_t(byte(offset + 3)) << 24;
    }

private:
    unsigned byte(std::uint64_t offset) const { return static_cast<unsigned char>(data_[std::size_t(offset)]); }
    std::string_view data_;
};

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

class Image {
public:
    explicit Image(std::string_view data) : bytes_(data) {}

    // Reads the headers; false when they are not those of a PE32 or PE32+ image.
    bool load() {
        if (!bytes_.has(0, 0x40) || bytes_.u16(0) != 0x5A4D) return false;  // "MZ"
        auto peOffset = bytes_.u32(0x3C);
        if (!peOffset || bytes_.u32(*peOffset) != 0x00004550) return false;  // "PE\0\0"
        std::uint64_t coff = std::uint64_t(*peOffset) + 4;
        auto sectionCount = bytes_.u16(coff + 2);
        auto optionalSize = bytes_.u16(coff + 16);
        if (!sectionCount || !optionalSize) return false;
        std::uint64_t optional = coff + 20;
        std::uint64_t optionalEnd = optional + *optionalSize;
        if (!bytes_.has(optional, *optionalSize)) return false;

        auto magic = bytes_.u16(optional);
        std::uint64_t countAt;
        if (magic == 0x10B) countAt = optional + 92;
        else if (magic == 0x20B) countAt = optional + 108;
        else return false;
        std::uint64_t directories = countAt + 4;
        auto directoryCount = bytes_.u32(countAt);
        if (!directoryCount || countAt + 4 > optionalEnd) return false;
        // The resource table is the third data directory.
        if (*directoryCount < 3 || directories + 3 * 8 > optionalEnd) return false;
        auto resourceRva = bytes_.u32(directories + 2 * 8);
        auto resourceSize = bytes_.u32(directories + 2 * 8 + 4);
        if (!resourceRva || !resourceSize) return false;
        resourceRva_ = *resourceRva;
        resourceSize_ = *resourceSize;

        std::uint64_t table = optionalEnd;
        if (!bytes_.has(table, std::uint64_t(*sectionCount) * 40)) return false;
        for (std::uint64_t i = 0; i < *sectionCount; ++i) {
            std::uint64_t at = table + i * 40;
            sections_.push_back(Section{*bytes_.u32(at + 12), *bytes_.u32(at + 16), *bytes_.u32(at + 20)});
        }
        return true;
    }

    // The file offset of `length` bytes at a relative virtual address, when they lie in the file.
    std::optional<std::uint64_t> offsetOf(std::uint64_t rva, std::uint64_t length) const {
        for (const Section& s : sections_) {
            if (rva < s.virtualAddress) continue;
            std::uint64_t into = rva - s.virtualAddress;
            if (into >= s.rawSize || length > std::uint64_t(s.rawSize) - into) continue;
            std::uint64_t offset = std::uint64_t(s.rawOffset) + into;
            if (!bytes_.has(offset, length)) return std::nullopt;
            return offset;
        }
        return std::nullopt;
    }

    // Reads within the resource table, whose entries address each other by offsets from its start.
    std::optional<std::uint32_t> resource32(std::uint64_t offset) const {
        if (offset > resourceSize_ || resourceSize_ - offset < 4) return std::nullopt;
        auto at = offsetOf(std::uint64_t(resourceRva_) + offset, 4);
        if (!at) return std::nullopt;
        return bytes_.u32(*at);
    }

    std::optional<std::uint16_t> resource16(std::uint64_t offset) const {
        if (offset > resourceSize_ || resourceSize_ - offset < 2) return std::nullopt;
        auto at = offsetOf(std::uint64_t(resourceRva_) + offset, 2);
        if (!at) return std::nullopt;
        return bytes_.u16(*at);
    }

    // Walks type 16 (version) -> first name -> first language, giving the data entry's offset.
    std::optional<std::uint32_t> versionDataEntry() const {
        auto type = findEntry(0, VersionResourceType);
        if (!type || !(*type & HighBit)) return std::nullopt;
        auto name = findEntry(*type & ~HighBit, std::nullopt);
        if (!name || !(*name & HighBit)) return std::nullopt;
        auto language = findEntry(*name & ~HighBit, std::nullopt);
        if (!language || (*language & HighBit)) return std::nullopt;
        return *language;
    }

private:
    // The OffsetToData of the entry with the given ID in the directory at `directory`
    // (or of its first entry when no ID is asked for).
    std::optional<std::uint32_t> findEntry(std::uint64_t directory, std::optional<std::uint32_t> id) const {
        auto named = resource16(directory + 12);
        auto numbered = resource16(directory + 14);
        if (!named || !numbered) return std::nullopt;
        std::uint64_t count = std::uint64_t(*named) + *numbered;
        for (std::uint64_t i = 0; i < count; ++i) {
            std::uint64_t entry = directory + 16 + i * 8;
            auto entryName = resource32(entry);
            auto target = resource32(entry + 4);
            if (!entryName || !target) return std::nullopt;
            if (!id || (!(*entryName & HighBit) && *entryName == *id)) return *target;
        }
        return std::nullopt;
    }

    Bytes bytes_;
    std::vector<Section> sections_;
    std::uint32_t resourceRva_ = 0;
    std::uint32_t resourceSize_ = 0;
};

std::string versionFromResource(const Bytes& block) {
    // VS_VERSIONINFO: wLength, wValueLength, wType, the key, padding to 32 bits, VS_FIXEDFILEINFO.
    static const char16_t key[] = u"VS_VERSION_INFO";
    constexpr std::size_t keyChars = sizeof(key) / sizeof(key[0]);  // with its terminating zero
    auto length = block.u16(0);
    auto valueLength = block.u16(2);
    if (!length || !valueLength || *length > block.size()) return {};
    for (std::size_t i = 0; i < keyChars; ++i)
        if (block.u16(6 + 2 * i) != std::uint16_t(key[i])) return {};
    std::uint64_t value = (6 + 2 * keyChars + 3) & ~std::uint64_t(3);
    if (*valueLength < FixedFileInfoSize || value + FixedFileInfoSize > *length) return {};
    if (block.u32(value) != FixedFileInfoSignature) return {};
    auto ms = block.u32(value + 8);
    auto ls = block.u32(value + 12);
    if (!ms || !ls) return {};
    return std::to_string(*ms >> 16) + "." + std::to_string(*ms & 0xFFFF) + "." + std::to_string(*ls >> 16) + "." +
           std::to_string(*ls & 0xFFFF);
}

}  // namespace

std::string exeVersionFromBytes(std::string_view data) {
    Image image(data);
    if (!image.load()) return {};
    auto entry = image.versionDataEntry();
    if (!entry) return {};
    auto rva = image.resource32(*entry);
    auto size = image.resource32(std::uint64_t(*entry) + 4);
    if (!rva || !size) return {};
    auto at = image.offsetOf(*rva, *size);
    if (!at) return {};
    return versionFromResource(Bytes(data.substr(std::size_t(*at), *size)));
}

std::string exeVersionOfFile(const std::string& path) {
    ReadResult result;
    int fd = openRegularFile(path, result);
    if (fd < 0) return {};
    // An executable's headers and resources sit well within this; a huge file is not read whole.
    std::string data;
    bool ok = readRest(fd, data, MaxImageBytes);
    ::close(fd);
    return ok ? exeVersionFromBytes(data) : std::string();
}

bool isWindowsExecutable(const std::string& path, int* openError) {
    if (openError) *openError = 0;
    ReadResult result;
    int fd = openRegularFile(path, result);
    if (fd < 0) {
        if (openError && result == ReadResult::Failed) *openError = errno;
        return false;
    }
    std::string magic;
    bool read = readRest(fd, magic, 2);
    ::close(fd);
    return read && magic == "MZ";
}
