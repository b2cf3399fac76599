#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ProfileFile.h"
#include "platform/Registry.h"
#include "support/Pack.h"
#include "support/core/PeBuilder.h"
#include "support/core/StandIns.h"
#include "support/core/TempDir.h"

namespace {

TEST(CorvaneRun, LoadMapStartsTheGameOnATestCopyAfterTheCountdown) {
    Pack pack;
    pack.forceGame();
    std::string map = pack.root.write("my maps/Twisted Meadows.w3x", "map bytes");

    ASSERT_EQ(pack.run({"--loadmap=" + map, "--arguments=-window"}, true), 0);

    EXPECT_EQ(readFile(pack.game + "/Maps/Test/testmap_2.0.w3x"), "map bytes");
    auto runs = waitForRecordedRuns(pack.root.file("war3.log"), 1);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].cwd, pack.game);
    EXPECT_EQ(runs[0].args, (std::vector<std::string>{"-window", "-loadfile", "Maps\\Test\\testmap_2.0.w3x"}));
    auto opened = waitForRecordedRuns(pack.openLog, 1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].args, std::vector<std::string>{pack.game + "/Maps/Test"});
    EXPECT_EQ(readFile(pack.root.file("pack/Version.lua")), "VeskVersionTxt = \"Vesk version 2.0.10\"\r\n");
}

// They never load a library beside the program, and need no display: with one, and without the
// libraries, they run all the same.
TEST(CorvaneRun, ModesThatShowNothingRunWithoutADisplay) {
    Pack pack;
    for (const char* library : {"corvane-windowing.so", "corvane-download.so", "corvane-pci.so"})
        ASSERT_EQ(::unlink((pack.programFolder + "/" + library).c_str()), 0) << library;
    // The game is found through the registry; the forced folder then takes over.
    RegistryStore registry(pack.root.file("config/corvane/registry.reg"));
    registry.setValue(RegRoot::CurrentUser, "Software\\Blizzard Entertainment\\Warcraft III", "InstallPathX",
                      RegValue{regtype::Sz, pack.game + std::string(1, '\0')});
    std::string other = pack.root.mkdir("other copy");
    ASSERT_EQ(pack.run({"--forcewc3path=" + other}, true), 0) << pack.lastStderr;
    EXPECT_EQ(profile::read(pack.programFolder + "/config.cfg", "FORCED_PATH", "PATH"), other);
    // A read-only settings file stays as it is, as the system would keep it.
    ::chmod((pack.programFolder + "/config.cfg").c_str(), 0444);
    ASSERT_EQ(pack.run({"--forcewc3path=" + pack.game}, false), 0);
    EXPECT_EQ(profile::read(pack.programFolder + "/config.cfg", "FORCED_PATH", "PATH"), other);
    ::chmod((pack.programFolder + "/config.cfg").c_str(), 0644);

    pack.forceGame();
    ASSERT_EQ(pack.run({"--sfa=ON"}, true), 0) << pack.lastStderr;
    auto open = registry.queryValue(RegRoot::ClassesRoot, "Warcraft III ScenarioEx File\\shell\\open\\command", "");
    ASSERT_TRUE(open.has_value());
    EXPECT_EQ(open->data, "\"" + pack.root.file("pack") + "/Vesk WE.exe\" -loadfile %L" + std::string(1, '\0'));
}

// The system's registry editor exports in UTF-16: the game folder it names is found, and the
// associations written after it, the pack's Latin-1 folder among them, keep the file so.
TEST(CorvaneRun, GameFolderIsFoundInTheSystemEditorsExport) {
    Pack pack("pack caf\xE9");
    const std::string registry = pack.root.file("config/corvane/registry.reg");
    writeFile(registry, utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Blizzard "
                                  u"Entertainment\\Warcraft III]\r\n\"InstallPath\"=\"" +
                                  std::u16string(pack.game.begin(), pack.game.end()) + u"\"\r\n"));
    ASSERT_EQ(pack.run({"--sfa=OFF"}, false), 0);

    EXPECT_TRUE(readFile(registry).starts_with(utf16File(u"Windows Registry Editor Version 5.00\r\n")));
    const std::string key = "Warcraft III Scenario File\\";
    for (const auto& [value, data] : {std::pair{"shell\\open\\command", "\"" + pack.game + "/World Editor.exe\" -loadfile %L"},
                                      std::pair{"DefaultIcon", pack.programFolder + "/Corvane.exe,0"}})
        EXPECT_EQ(RegistryStore(registry).queryValue(RegRoot::ClassesRoot, key + value, ""), (RegValue{regtype::Sz, data + '\0'}));
}

TEST(CorvaneRun, CommandStartsTheStoredProgramInItsFolder) {
    Pack pack;
    pack.forceGame();
    std::string tool = pack.root.file("tools/lint");
    writeRecordingProgram(tool, pack.root.file("tool.log"));
    profile::write(pack.programFolder + "/config.cfg", "CSTMENU", "MNU_PATH_3", tool);
    profile::write(pack.programFolder + "/config.cfg", "CSTMENU", "MNU_ARG_3", "--strict \"a b\"");

    ASSERT_EQ(pack.run({"--command=3"}, false), 0);

    auto runs = waitForRecordedRuns(pack.root.file("tool.log"), 1);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].cwd, pack.root.file("tools"));
    EXPECT_EQ(runs[0].args, (std::vector<std::string>{"--strict", "a b"}));

    // A Windows program where there is no wine: the run says so and still ends well.
    profile::write(pack.programFolder + "/config.cfg", "CSTMENU", "MNU_PATH_3", writePeExecutable(pack.root.file("tools/Tool.exe"), {}));
    pack.path = pack.root.file("bin");
    ASSERT_EQ(pack.run({"--command=3"}, false), 0);
    EXPECT_EQ(pack.lastStderr, "Tool.exe is a Windows program; install wine to start it.\n");
}

}  // namespace

namespace {

// A window is due but there is no display: the run ends with the report on the terminal
// instead of aborting, and still opens the forum page.
TEST(CorvaneRun, WindowWithoutADisplayEndsInTheReport) {
    Pack pack;
    EXPECT_EQ(pack.run({"--setwc3path"}, false), 1);
    auto opened = waitForRecordedRuns(pack.openLog, 1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].args[0].find("/index.php?action=post;topic=4263.0") != std::string::npos, true);
}

}  // namespace
