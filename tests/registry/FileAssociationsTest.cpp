#include <gtest/gtest.h>

#include <algorithm>

#include "registry/RegistryManager.h"
#include "startup/Main.h"
#include "support/TestApp.h"

namespace {

struct MapType {
    std::string name;
    std::string extension;
    bool hasVerbs;
};

const MapType MapTypes[] = {
    {"Scenario", "w3m", true},
    {"ScenarioEx", "w3x", true},
    {"Campaign", "w3n", true},
    {"AIData", "wai", false},
};

std::string defaultOf(const App& app, const std::string& key) {
    return ReadRegKeyValue(app, RegRoot::ClassesRoot, key, "");
}

struct SfaRun {
    TestApp t;
    std::string game;
    explicit SfaRun(const std::string& commandLine) {
        game = t.forceGameFolder("game folder");
        Main(t.app, t.shared, commandLine);
    }
};

TEST(FileAssociations, OnBindsEveryMapTypeToThePackEditorWithPlayVerbs) {
    SfaRun run("--sfa=ON");
    const App& app = run.t.app;
    std::string program = "\"" + run.t.programFolder + "/Corvane.exe\"";
    for (const auto& type : MapTypes) {
        SCOPED_TRACE(type.name);
        std::string progId = "Warcraft III " + type.name + " File";
        EXPECT_EQ(defaultOf(app, "." + type.extension), progId);
        EXPECT_EQ(defaultOf(app, progId), progId);
        EXPECT_EQ(defaultOf(app, progId + "\\shell\\open\\command"), "\"" + run.t.packFolder + "/Vesk WE.exe\" -loadfile %L");
        EXPECT_EQ(defaultOf(app, progId + "\\DefaultIcon"), run.t.programFolder + "/Corvane.exe,0");

        std::string verbs = "WorldEdit." + type.name + "\\shell\\";
        const std::pair<std::string, std::string> expected[] = {
            {"fullscreen", "Play Fullscreen"},
            {"windowed", "Play Windowed"},
            {"opengl", "Play With OpenGL (Windowed)"},
        };
        const std::string commands[] = {program + " --loadmap=%L", program + " --loadmap=%L --arguments=-window",
                                         program + " --loadmap=%L --arguments=-window -opengl"};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(defaultOf(app, verbs + expected[i].first), type.hasVerbs ? expected[i].second : "");
            EXPECT_EQ(defaultOf(app, verbs + expected[i].first + "\\command"), type.hasVerbs ? commands[i] : "");
        }
    }
    EXPECT_TRUE(run.t.dialogs.shown.empty());
}

// The store's keys with their values, in a fixed order: rewriting may move keys around.
std::vector<std::string> keysOf(const std::string& file) {
    std::vector<std::string> blocks;
    std::string text = readFile(file);
    std::size_t start = 0, at;
    while ((at = text.find("\r\n\r\n", start)) != std::string::npos) {
        blocks.push_back(text.substr(start, at - start));
        start = at + 4;
    }
    blocks.push_back(text.substr(start));
    std::sort(blocks.begin(), blocks.end());
    return blocks;
}

TEST(FileAssociations, RunningOnTwiceLeavesTheSameEntries) {
    SfaRun run("--sfa=ON");
    auto once = keysOf(run.t.registry.filePath());
    Shared again;
    Main(run.t.app, again, "--sfa=ON");
    EXPECT_EQ(keysOf(run.t.registry.filePath()), once);
}

TEST(FileAssociations, OffHandsTheTypesBackToTheGameEditorAndRemovesTheVerbs) {
    SfaRun run("--sfa=ON");
    Shared again;
    Main(run.t.app, again, "--sfa=OFF");
    const App& app = run.t.app;
    for (const auto& type : MapTypes) {
        SCOPED_TRACE(type.name);
        std::string progId = "Warcraft III " + type.name + " File";
        EXPECT_EQ(defaultOf(app, "." + type.extension), progId);
        EXPECT_EQ(defaultOf(app, progId + "\\shell\\open\\command"), "\"" + run.game + "/World Editor.exe\" -loadfile %L");
        for (const char* verb : {"fullscreen", "windowed", "opengl"}) {
            std::string key = "WorldEdit." + type.name + "\\shell\\" + verb;
            EXPECT_FALSE(run.t.registry.keyExists(RegRoot::ClassesRoot, key + "\\command"));
            EXPECT_FALSE(run.t.registry.keyExists(RegRoot::ClassesRoot, key));
        }
    }
}

TEST(FileAssociations, OffLeavesForeignKeysAlone) {
    TestApp t;
    t.forceGameFolder("game");
    WriteRegKeyValue(t.app, RegRoot::ClassesRoot, "WorldEdit.Scenario\\shell\\edit\\command", "", "keep me");
    WriteRegKeyValue(t.app, RegRoot::ClassesRoot, ".txt", "", "txtfile");
    Main(t.app, t.shared, "--sfa=OFF");
    EXPECT_EQ(defaultOf(t.app, "WorldEdit.Scenario\\shell\\edit\\command"), "keep me");
    EXPECT_EQ(defaultOf(t.app, ".txt"), "txtfile");
}

TEST(FileAssociations, UnregisterDeletesLeavesFirstAndIgnoresDotsInTheExtension) {
    TestApp t;
    RegisterFileType(t.app, ".w.3.m", "cmd", "Some Type");
    EXPECT_EQ(defaultOf(t.app, ".w3m"), "Some Type");
    UnregisterFileType(t.app, "w3m", "Some Type");
    EXPECT_FALSE(t.registry.keyExists(RegRoot::ClassesRoot, "Some Type"));
    EXPECT_FALSE(t.registry.keyExists(RegRoot::ClassesRoot, ".w3m"));
}

}  // namespace
