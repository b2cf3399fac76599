#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "common/Text.h"
#include "diagnostics/StatusReport.h"
#include "platform/pci/LibPciNames.h"
#include "support/TestApp.h"
#include "support/core/MachineTree.h"
#include "support/core/PeBuilder.h"

namespace {

namespace fs = std::filesystem;

const std::string Blanks17(17, ' ');

// A Debian machine with an Intel adapter, a game folder holding a PE "war3.exe" 1.26.0.6401, a
// forced game folder, the loader's "Config.txt" and a custom menu; the run passed the game folder.
struct Fixture {
    TestApp t;
    std::string machine = t.root.file("machine");
    std::string ids = t.root.write("pci.ids", TestPciIds);
    LibPciNames names{ids};
    std::string game = t.makeGameFolder("Warcraft III");
    std::string config = "[FORCED_PATH]\r\nPATH=" + game + "\r\nFORCED=TRUE\r\n";
    std::string loaderConfig = game + "/war3.exe -window";
    std::string menu = "-- Vesk custom menu\r\nveskm = {}\r\n";

    Fixture() {
        runAs(64, "x86_64");
        t.root.write("machine/etc/os-release", "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n");
        addPciAdapter(machine, "card0", "0000:00:02.0", "0x8086", "0x3e92", "i915");

        fs::remove(game + "/War3.exe");
        writePeExecutable(game + "/war3.exe", PeVersion{1, 26, 0, 6401});
        t.shared.WC3Path = game;
        t.shared.CmdArgs = {"", "status=" + game};
        writeFile(t.configPath(), config);
        writeFile(t.programFolder + "/Config.txt", loaderConfig);
        writeFile(t.programFolder + "/CST_Menu.lua", menu);
        writeFile(t.programFolder + "/tandrel.exe", "loader");  // found whatever its letter case
    }

    void runAs(int processBits, const std::string& kernelMachine) {
        auto kernel = [=] { return std::optional<KernelFacts>(KernelFacts{"Linux", "6.1.0-18-amd64", kernelMachine}); };
        t.systemInfo = SystemInfo({machine, kernel, processBits, &names});
    }
    std::string configBlock(const std::string& text) const {
        return "\r\n   > Current Config Text: \r\n\r\n=== TEXT START ===\r\n" + text + "\r\n==== TEXT END ====\r\n";
    }
    std::string location() const { return " - War3.exe location: " + game + "/war3.exe\r\n - War3.exe version: 1.26.0.6401"; }
    std::string passed(const std::string& folder, bool match) const {
        return "\r\n - Vesk WC3 Path: " + folder + "\r\n" + Blanks17 +
               (match ? "(Perfect match: Vesk read correctly WC3 path)" : "(Warning: Vesk has not detected properly WC3 Path)");
    }
    std::string adapter() const {
        return " - Device String:Intel Corporation CoffeeLake-S GT2 [UHD Graphics 630]\r\n"
               " - Device Name:card0\r\n"
               " - Device Key:/sys/devices/pci0000:00/0000:00:02.0\r\n"
               " - Device ID:PCI\\VEN_8086&DEV_3E92\r\n\r\n";
    }

    std::string expected() const {
        return "Operative System:\r\n"
               " - Windows Version: Debian GNU/Linux 12 (bookworm), Linux 6.1.0-18-amd64\r\n"
               " - 32 or 64 Bits: 64 Bits\r\n"
               "\r\n"
               "Video Card Information:\r\n" +
               adapter() +
               "Warcraft III Current Settings:\r\n"
               " - WC3 Path: " + game + "\r\n" +
               location() + passed(game, true) + "\r\n"
               " - Path was forced? YES\r\n"
               "\r\n"
               "Vesk Information:\r\n"
               " - Version: 2.0.10\r\n"
               " - Keldwyn Folder: " + t.programFolder + "\r\n"
               " - Multi Loader Status:\r\n"
               "   > Executable: YES\r\n"
               "   > Library DLL: NO\r\n"
               "   > Config File: YES\r\n"
               "   > Current Config Text: " + loaderConfig + "\r\n"
               " - Custom Menu Settings:\r\n"
               "   > Config file: YES\r\n"
               "   > LUA Menu: YES" +
               configBlock(config) +
               "\r\n   > Current LUA Menu code: \r\n\r\n=== TEXT START ===\r\n" + menu + "\r\n==== TEXT END ====\r\n";
    }
};

TEST(StatusReport, WholeReportByteForByte) {
    Fixture f;
    EXPECT_EQ(BuildStatusReport(f.t.app, f.t.shared), f.expected());
}

// Each variant changes the fixture and names what that changes in the whole report.
TEST(StatusReport, Variants) {
    using Changes = std::vector<std::pair<std::string, std::string>>;
    const std::string noGame = " - War3.exe location: No file found!!! Please Check your WC3 installation...";
    const std::pair<const char*, std::function<Changes(Fixture&)>> cases[] = {
        {"no display adapter", [](Fixture& f) {
             fs::remove_all(f.machine + "/sys");
             return Changes{{f.adapter(), " - Error while retrieving Display Information\r\n"
                                          "   (Please check if you have issues with your video drivers)\r\n"}};
         }},
        {"a 32-bit build on a 64-bit kernel", [](Fixture& f) { f.runAs(32, "x86_64"); return Changes{}; }},
        {"a 32-bit build on a 32-bit kernel", [](Fixture& f) { f.runAs(32, "i686"); return Changes{{"Bits: 64 Bits", "Bits: 32 Bits"}}; }},
        {"no war3.exe", [&](Fixture& f) {
             fs::remove(f.game + "/war3.exe");
             return Changes{{f.location(), noGame}};
         }},
        {"War3.exe, named in its own case", [](Fixture& f) {
             fs::rename(f.game + "/war3.exe", f.game + "/War3.exe");
             return Changes{{"location: " + f.game + "/war3.exe", "location: " + f.game + "/War3.exe"}};
         }},
        {"--status= without a game folder", [&](Fixture& f) {
             f.t.shared.WC3Path = "";
             f.t.shared.CmdArgs = {"", "status="};
             return Changes{{" - WC3 Path: " + f.game + "\r\n", " - WC3 Path: \r\n"}, {f.location(), noGame},
                            {f.passed(f.game, true), f.passed("", false)}};
         }},
        {"passed folder followed by another option", [](Fixture& f) {
             f.t.shared.CmdArgs = {"", "status=" + f.game + " ", "arguments=-window"};
             return Changes{{f.passed(f.game, true), f.passed(f.game + " ", false)}};
         }},
        {"passed folder in another letter case", [](Fixture& f) {
             const std::string other = replaceAll(f.game, "Warcraft", "WarCraft");
             f.t.shared.CmdArgs = {"", "STATUS=" + other};
             return Changes{{f.passed(f.game, true), f.passed(other, false)}};
         }},
        {"value with a further =", [](Fixture& f) {
             f.t.shared.CmdArgs = {"", "status=" + f.game + "=x"};
             return Changes{};
         }},
        {"--status alone", [](Fixture& f) {
             f.t.shared.CmdArgs = {"", "status"};
             return Changes{{f.passed(f.game, true), ""}};
         }},
        {"FORCED=true", [](Fixture& f) {
             const std::string config = replaceAll(f.config, "TRUE", "true");
             writeFile(f.t.configPath(), config);
             return Changes{{"forced? YES", "forced? NO"}, {f.configBlock(f.config), f.configBlock(config)}};
         }},
        {"no config.cfg", [](Fixture& f) {
             fs::remove(f.t.configPath());
             return Changes{{"forced? YES", "forced? NO"}, {"Config file: YES", "Config file: NO"}, {f.configBlock(f.config), ""}};
         }},
        {"empty config.cfg", [](Fixture& f) {
             writeFile(f.t.configPath(), "");
             return Changes{{"forced? YES", "forced? NO"}, {f.configBlock(f.config), f.configBlock("")}};
         }},
        {"a FIFO named Config.txt", [](Fixture& f) {
             fs::remove(f.t.programFolder + "/Config.txt");
             EXPECT_EQ(mkfifo((f.t.programFolder + "/Config.txt").c_str(), 0600), 0);
             return Changes{{"Config File: YES\r\n   > Current Config Text: " + f.loaderConfig, "Config File: NO"}};
         }},
    };
    for (const auto& [what, vary] : cases) {
        SCOPED_TRACE(what);
        Fixture f;
        std::string expected = f.expected();
        for (const auto& [from, to] : vary(f)) {
            ASSERT_NE(expected.find(from), std::string::npos) << from;
            expected = replaceAll(expected, from, to);
        }
        EXPECT_EQ(BuildStatusReport(f.t.app, f.t.shared), expected);
    }
}

}  // namespace
