#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "platform/ExeVersion.h"
#include "support/core/PeBuilder.h"
#include "support/core/TempDir.h"

namespace {

std::uint32_t read32(const std::string& image, std::size_t at) {
    return std::uint32_t(static_cast<unsigned char>(image[at])) |
           std::uint32_t(static_cast<unsigned char>(image[at + 1])) << 8 |
           std::uint32_t(static_cast<unsigned char>(image[at + 2])) << 16 |
           std::uint32_t(static_cast<unsigned char>(image[at + 3])) << 24;
}

void write32(std::string& image, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) image[at + i] = char((v >> (8 * i)) & 0xFF);
}

void write16(std::string& image, std::size_t at, std::uint16_t v) {
    image[at] = char(v & 0xFF);
    image[at + 1] = char(v >> 8);
}

// Where the interesting pieces of a built image are, read from its own headers.
struct Layout {
    std::size_t pe, coff, optional, directories, sections, rsrcSection, rsrc, dataEntry, versionData;
};

Layout layoutOf(const std::string& image, bool pe32plus) {
    Layout l{};
    l.pe = read32(image, 0x3C);
    l.coff = l.pe + 4;
    l.optional = l.coff + 20;
    l.directories = l.optional + (pe32plus ? 112 : 96);
    l.sections = l.optional + (pe32plus ? 240 : 224);
    l.rsrcSection = l.sections + 40;
    l.rsrc = read32(image, l.rsrcSection + 20);
    l.dataEntry = l.rsrc + 0x48;
    l.versionData = l.rsrc + (read32(image, l.dataEntry) - read32(image, l.rsrcSection + 12));
    return l;
}

// Four decimal numbers joined by dots.
bool looksLikeVersion(const std::string& text) {
    int dots = 0;
    bool digit = false;
    for (char c : text) {
        if (c == '.') {
            if (!digit) return false;
            ++dots;
            digit = false;
        } else if (c >= '0' && c <= '9') {
            digit = true;
        } else {
            return false;
        }
    }
    return dots == 3 && digit;
}

}  // namespace

TEST(ExeVersion, ReadsTheFixedFileVersionOfBothImageKinds) {
    struct Case {
        bool pe32plus;
        PeVersion version;
        const char* expected;
    } cases[] = {
        {false, {1, 26, 0, 6401}, "1.26.0.6401"},
        {true, {1, 26, 0, 6401}, "1.26.0.6401"},
        {false, {0, 0, 0, 0}, "0.0.0.0"},
        {true, {65535, 65535, 65535, 65535}, "65535.65535.65535.65535"},
        {false, {1, 24, 4, 6387}, "1.24.4.6387"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(exeVersionFromBytes(buildPeExecutable(c.pe32plus, c.version)), c.expected)
            << (c.pe32plus ? "PE32+ " : "PE32 ") << c.expected;
    }
}

TEST(ExeVersion, ImagesWithoutAVersionGiveNothing) {
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"PE32 without resources", buildPeExecutable(false, std::nullopt)},
        {"PE32+ without resources", buildPeExecutable(true, std::nullopt)},
        {"empty", ""},
        {"text file", "@echo off\r\nstart war3.exe\r\n"},
        {"only a DOS signature", "MZ"},
    };
    for (const Case& c : cases) EXPECT_EQ(exeVersionFromBytes(c.bytes), "") << c.what;
}

TEST(ExeVersion, EveryTruncationGivesNothingOrTheVersion) {
    for (bool pe32plus : {false, true}) {
        const std::string image = buildPeExecutable(pe32plus, PeVersion{1, 27, 1, 7085});
        // Copy each prefix into its own buffer so the sanitizer sees any read past its end.
        for (std::size_t n = 0; n <= image.size(); ++n) {
            std::string prefix = image.substr(0, n);
            std::string got = exeVersionFromBytes(prefix);
            EXPECT_TRUE(got.empty() || got == "1.27.1.7085") << "prefix length " << n << ": " << got;
        }
        EXPECT_EQ(exeVersionFromBytes(image.substr(0, image.size() / 2)), "");
    }
}

TEST(ExeVersion, MalformedFieldsGiveNothing) {
    struct Case {
        const char* what;
        void (*corrupt)(std::string&, const Layout&);
    } cases[] = {
        {"DOS signature", [](std::string& i, const Layout&) { i[1] = 'X'; }},
        {"PE header beyond the file", [](std::string& i, const Layout&) { write32(i, 0x3C, std::uint32_t(i.size()) - 2); }},
        {"PE header offset at the top of the range", [](std::string& i, const Layout&) { write32(i, 0x3C, 0xFFFFFFFF); }},
        {"PE signature", [](std::string& i, const Layout& l) { i[l.pe + 2] = 'X'; }},
        {"optional header magic", [](std::string& i, const Layout& l) { write16(i, l.optional, 0x107); }},
        {"optional header size zero", [](std::string& i, const Layout& l) { write16(i, l.coff + 16, 0); }},
        {"optional header size past the end", [](std::string& i, const Layout& l) { write16(i, l.coff + 16, 0xFFFF); }},
        {"only two data directories", [](std::string& i, const Layout& l) { write32(i, l.directories - 4, 2); }},
        {"no sections", [](std::string& i, const Layout& l) { write16(i, l.coff + 2, 0); }},
        {"section count past the end", [](std::string& i, const Layout& l) { write16(i, l.coff + 2, 0xFFFF); }},
        {"resource table outside every section", [](std::string& i, const Layout& l) { write32(i, l.directories + 16, 0x7FFF0000); }},
        {"resource table size zero", [](std::string& i, const Layout& l) { write32(i, l.directories + 20, 0); }},
        {"resource raw data beyond the file", [](std::string& i, const Layout& l) { write32(i, l.rsrcSection + 20, 0xFFFFFF00); }},
        {"resource raw size huge", [](std::string& i, const Layout& l) { write32(i, l.rsrcSection + 16, 0xFFFFFFFF); write32(i, l.rsrcSection + 20, 0x400); write32(i, l.dataEntry + 4, 0x7FFFFFFF); }},
        {"no version type", [](std::string& i, const Layout& l) { write32(i, l.rsrc + 16, 3); }},
        {"version type given by name", [](std::string& i, const Layout& l) { write32(i, l.rsrc + 16, 0x80000010); }},
        {"version type not a directory", [](std::string& i, const Layout& l) { write32(i, l.rsrc + 20, 0x48); }},
        {"type directory pointing outside", [](std::string& i, const Layout& l) { write32(i, l.rsrc + 20, 0xFFFFFFF0); }},
        {"directory pointing at itself", [](std::string& i, const Layout& l) { write32(i, l.rsrc + 0x18 + 20, 0x80000018); }},
        {"language entry is a directory", [](std::string& i, const Layout& l) { write32(i, l.rsrc + 0x30 + 20, 0x80000000); }},
        {"entry counts past the table", [](std::string& i, const Layout& l) { write16(i, l.rsrc + 12, 0xFFFF); write16(i, l.rsrc + 14, 0xFFFF); write32(i, l.rsrc + 16, 3); }},
        {"empty root directory", [](std::string& i, const Layout& l) { write16(i, l.rsrc + 14, 0); }},
        {"empty name directory", [](std::string& i, const Layout& l) { write16(i, l.rsrc + 0x18 + 14, 0); }},
        {"data outside the image", [](std::string& i, const Layout& l) { write32(i, l.dataEntry, 0x00900000); }},
        {"data size past the section", [](std::string& i, const Layout& l) { write32(i, l.dataEntry + 4, 0x10000); }},
        {"data size too small", [](std::string& i, const Layout& l) { write32(i, l.dataEntry + 4, 60); }},
        {"data size at the top of the range", [](std::string& i, const Layout& l) { write32(i, l.dataEntry + 4, 0xFFFFFFFF); }},
        {"block length shorter than the fixed info", [](std::string& i, const Layout& l) { write16(i, l.versionData, 80); }},
        {"value length too small", [](std::string& i, const Layout& l) { write16(i, l.versionData + 2, 10); }},
        {"key misspelled", [](std::string& i, const Layout& l) { i[l.versionData + 6] = 'W'; }},
        {"fixed info signature", [](std::string& i, const Layout& l) { i[l.versionData + 40] ^= 1; }},
    };
    for (bool pe32plus : {false, true}) {
        const std::string good = buildPeExecutable(pe32plus, PeVersion{2, 0, 10, 1});
        ASSERT_EQ(exeVersionFromBytes(good), "2.0.10.1");
        const Layout layout = layoutOf(good, pe32plus);
        for (const Case& c : cases) {
            std::string bad = good;
            c.corrupt(bad, layout);
            EXPECT_EQ(exeVersionFromBytes(bad), "") << c.what << (pe32plus ? " (PE32+)" : " (PE32)");
        }
    }
}

TEST(ExeVersion, RandomCorruptionNeverBreaksTheReader) {
    std::mt19937 random(20240611);
    for (bool pe32plus : {false, true}) {
        const std::string good = buildPeExecutable(pe32plus, PeVersion{1, 28, 5, 7680});
        const Layout layout = layoutOf(good, pe32plus);
        // Damage concentrated on the headers and the resource tree, where the offsets live.
        const std::size_t regions[][2] = {{0, 0x40}, {layout.pe, layout.sections + 80}, {layout.rsrc, layout.versionData + 96}};
        for (int round = 0; round < 3000; ++round) {
            std::string bad = good;
            int flips = 1 + int(random() % 4);
            for (int f = 0; f < flips; ++f) {
                const auto& region = regions[random() % 3];
                std::size_t at = region[0] + random() % (region[1] - region[0]);
                bad[at] = char(random() & 0xFF);
            }
            std::string got = exeVersionFromBytes(bad);
            EXPECT_TRUE(got.empty() || looksLikeVersion(got)) << got;
        }
    }
}

TEST(ExeVersion, ReadsFromFiles) {
    TempDir dir;
    struct Case {
        std::string path;
        const char* expected;
    } cases[] = {
        {writePeExecutable(dir.file("game/war3.exe"), PeVersion{1, 26, 0, 6401}), "1.26.0.6401"},
        {writePeExecutable(dir.file("x64/war3.exe"), PeVersion{1, 29, 2, 9231}, true), "1.29.2.9231"},
        {writePeExecutable(dir.file("plain.exe"), std::nullopt), ""},
        {dir.file("missing.exe"), ""},
        {dir.mkdir("folder.exe"), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(exeVersionOfFile(c.path), c.expected) << c.path;
}
