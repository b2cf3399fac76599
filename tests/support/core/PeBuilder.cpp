#include "support/core/PeBuilder.h"

#include <vector>

#include "support/core/TempDir.h"

namespace {

constexpr std::uint32_t FileAlignment = 0x200;
constexpr std::uint32_t SectionAlignment = 0x1000;
constexpr std::uint32_t PeHeaderOffset = 0x80;
constexpr std::uint32_t CodeRva = 0x1000;
constexpr std::uint32_t ResourceRva = 0x2000;

void add16(std::string& out, std::uint16_t v) {
    out += char(v & 0xFF);
    out += char(v >> 8);
}
void add32(std::string& out, std::uint32_t v) {
    add16(out, std::uint16_t(v & 0xFFFF));
    add16(out, std::uint16_t(v >> 16));
}
void add64(std::string& out, std::uint64_t v) {
    add32(out, std::uint32_t(v & 0xFFFFFFFFu));
    add32(out, std::uint32_t(v >> 32));
}
void put16(std::string& out, std::size_t at, std::uint16_t v) {
    out[at] = char(v & 0xFF);
    out[at + 1] = char(v >> 8);
}
void padTo(std::string& out, std::size_t alignment) {
    while (out.size() % alignment) out += '\0';
}
std::uint32_t alignUp(std::uint32_t v, std::uint32_t alignment) { return (v + alignment - 1) / alignment * alignment; }

// ASCII text as UTF-16LE with its terminating zero.
std::string utf16z(const std::string& text) {
    std::string out;
    for (char c : text) add16(out, std::uint16_t(static_cast<unsigned char>(c)));
    add16(out, 0);
    return out;
}

// One node of a version resource: length, value length, type, key, padding, value, padding, children.
std::string versionNode(const std::string& key, const std::string& value, std::uint16_t valueLength,
                        std::uint16_t type, const std::vector<std::string>& children) {
    std::string out;
    add16(out, 0);  // wLength, set below
    add16(out, valueLength);
    add16(out, type);
    out += utf16z(key);
    padTo(out, 4);
    out += value;
    for (const std::string& child : children) {
        padTo(out, 4);
        out += child;
    }
    put16(out, 0, std::uint16_t(out.size()));
    return out;
}

std::string versionResource(const PeVersion& v) {
    std::uint32_t ms = std::uint32_t(v[0]) << 16 | v[1];
    std::uint32_t ls = std::uint32_t(v[2]) << 16 | v[3];
    std::string fixed;
    add32(fixed, 0xFEEF04BD);  // signature
    add32(fixed, 0x00010000);  // structure version
    add32(fixed, ms);          // file version
    add32(fixed, ls);
    add32(fixed, ms);          // product version
    add32(fixed, ls);
    add32(fixed, 0x3F);        // flags mask
    add32(fixed, 0);           // flags
    add32(fixed, 0x00040004);  // NT, 32-bit Windows
    add32(fixed, 1);           // application
    add32(fixed, 0);           // subtype
    add32(fixed, 0);           // date
    add32(fixed, 0);

    std::string text = versionText(v);
    std::string fileVersion =
        versionNode("FileVersion", utf16z(text), std::uint16_t(text.size() + 1), 1, {});
    std::string table = versionNode("040904b0", "", 0, 1, {fileVersion});
    std::string strings = versionNode("StringFileInfo", "", 0, 1, {table});

    std::string translation;
    add16(translation, 0x0409);
    add16(translation, 0x04B0);
    std::string var = versionNode("Translation", translation, 4, 0, {});
    std::string vars = versionNode("VarFileInfo", "", 0, 1, {var});

    return versionNode("VS_VERSION_INFO", fixed, std::uint16_t(fixed.size()), 0, {strings, vars});
}

// The resource section: type 16 -> name 1 -> language 0x409 -> data entry -> version data.
std::string resourceSection(const PeVersion& version) {
    auto directory = [](std::string& out, std::uint32_t id, std::uint32_t target) {
        add32(out, 0);  // characteristics
        add32(out, 0);  // time stamp
        add16(out, 0);  // major version
        add16(out, 0);  // minor version
        add16(out, 0);  // named entries
        add16(out, 1);  // numbered entries
        add32(out, id);
        add32(out, target);
    };
    constexpr std::uint32_t Subdirectory = 0x80000000u;
    std::string out;
    directory(out, 16, Subdirectory | 0x18);
    directory(out, 1, Subdirectory | 0x30);
    directory(out, 0x409, 0x48);
    std::string data = versionResource(version);
    add32(out, ResourceRva + 0x58);
    add32(out, std::uint32_t(data.size()));
    add32(out, 0);  // code page
    add32(out, 0);
    out += data;
    return out;
}

void sectionHeader(std::string& out, const char (&name)[9], std::uint32_t virtualSize, std::uint32_t rva,
                   std::uint32_t rawSize, std::uint32_t rawOffset, std::uint32_t characteristics) {
    out.append(name, 8);
    add32(out, virtualSize);
    add32(out, rva);
    add32(out, rawSize);
    add32(out, rawOffset);
    add32(out, 0);  // relocations
    add32(out, 0);  // line numbers
    add16(out, 0);
    add16(out, 0);
    add32(out, characteristics);
}

}  // namespace

std::string versionText(const PeVersion& v) {
    return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." + std::to_string(v[3]);
}

std::string buildPeExecutable(bool pe32plus, std::optional<PeVersion> version) {
    std::string resources = version ? resourceSection(*version) : std::string();
    const std::uint32_t resourceRaw = alignUp(std::uint32_t(resources.size()), FileAlignment);
    const std::uint32_t codeOffset = FileAlignment;
    const std::uint32_t resourceOffset = codeOffset + FileAlignment;
    const std::uint16_t sectionCount = version ? 2 : 1;
    const std::uint32_t imageSize =
        version ? ResourceRva + alignUp(std::uint32_t(resources.size()), SectionAlignment) : ResourceRva;

    std::string image;
    // DOS header: only the signature and the offset of the PE header matter.
    add16(image, 0x5A4D);
    image.resize(0x3C, '\0');
    add32(image, PeHeaderOffset);
    image.resize(PeHeaderOffset, '\0');

    image += std::string("PE\0\0", 4);
    add16(image, pe32plus ? 0x8664 : 0x014C);         // machine
    add16(image, sectionCount);
    add32(image, 0);                                  // time stamp
    add32(image, 0);                                  // symbol table
    add32(image, 0);                                  // symbols
    add16(image, pe32plus ? 240 : 224);               // optional header size
    add16(image, pe32plus ? 0x0022 : 0x0102);         // executable; large-address aware / 32-bit

    add16(image, pe32plus ? 0x20B : 0x10B);
    image += char(14);                                // linker version
    image += char(0);
    add32(image, FileAlignment);                      // size of code
    add32(image, resourceRaw);                        // initialised data
    add32(image, 0);                                  // uninitialised data
    add32(image, CodeRva);                            // entry point
    add32(image, CodeRva);                            // base of code
    if (pe32plus) {
        add64(image, 0x140000000ull);                 // image base
    } else {
        add32(image, ResourceRva);                    // base of data
        add32(image, 0x400000);                       // image base
    }
    add32(image, SectionAlignment);
    add32(image, FileAlignment);
    add16(image, 6); add16(image, 0);                 // operating system version
    add16(image, 0); add16(image, 0);                 // image version
    add16(image, 6); add16(image, 0);                 // subsystem version
    add32(image, 0);                                  // reserved
    add32(image, imageSize);
    add32(image, FileAlignment);                      // size of headers
    add32(image, 0);                                  // checksum
    add16(image, 2);                                  // GUI subsystem
    add16(image, 0x8140);                             // terminal-server aware, NX, dynamic base
    if (pe32plus) {
        add64(image, 0x100000); add64(image, 0x1000); // stack
        add64(image, 0x100000); add64(image, 0x1000); // heap
    } else {
        add32(image, 0x100000); add32(image, 0x1000);
        add32(image, 0x100000); add32(image, 0x1000);
    }
    add32(image, 0);                                  // loader flags
    add32(image, 16);                                 // data directories
    for (std::uint32_t i = 0; i < 16; ++i) {
        bool isResource = i == 2 && version;
        add32(image, isResource ? ResourceRva : 0);
        add32(image, isResource ? std::uint32_t(resources.size()) : 0);
    }

    sectionHeader(image, ".text\0\0\0", 1, CodeRva, FileAlignment, codeOffset, 0x60000020);
    if (version)
        sectionHeader(image, ".rsrc\0\0\0", std::uint32_t(resources.size()), ResourceRva, resourceRaw,
                      resourceOffset, 0x40000040);
    image.resize(codeOffset, '\0');

    image += char(0xC3);  // ret
    image.resize(resourceOffset, '\0');

    image += resources;
    image.resize(resourceOffset + resourceRaw, '\0');
    return image;
}

std::string writePeExecutable(const std::string& path, std::optional<PeVersion> version, bool pe32plus) {
    writeFile(path, buildPeExecutable(pe32plus, version));
    return path;
}
