#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Paths.h"
#include "support/Pack.h"
#include "support/core/StandIns.h"
#include "support/core/XSession.h"

namespace {

const std::string Caption = "Ossik Compiler - Developed for Ossik project - compiler by the Ossik authors";

// A user compiles a script from a pack whose root has blanks in its name: the compiler has run,
// with every path whole, in its own folder, before the window comes with its log; Esc closes it.
TEST(OssikWindow, CompilesFromAPackRootWithBlanks) {
    XSession x{XSession::Options{.windowManager = true}};
    Pack pack("Vesk Tool Pack");
    pack.forceGame();
    const std::string packRoot = paths::parentOf(pack.programFolder);
    const std::string compiler = writeCompilerFolder(packRoot);
    const std::string script = pack.root.write("my maps/Twisted Meadows/war3map.j", "function x\n");
    const std::string record = pack.root.file("java.log");
    writeCompilerStandIn(pack.root.file("bin/java"), record, 0, "war3map.j(1): Undefined type x\r\n1 error\r\n");

    XSession::Program corvane = x.start({pack.exe, "--ossik=" + script},
                                        {{"XDG_CONFIG_HOME", pack.root.file("config")},
                                         {"PATH", pack.root.file("bin") + ":" + getenv("PATH")}});
    const auto window = x.waitForWindow(Caption);
    ASSERT_TRUE(window);
    const auto compiled = readRecordedRuns(record);
    ASSERT_EQ(compiled.size(), 1u);
    EXPECT_EQ(compiled[0].cwd, compiler);
    EXPECT_EQ(compiled[0].args, (std::vector<std::string>{"-jar", "ossikc-jar-with-dependencies.jar",
                                                          "-log=" + packRoot + "/logs/ossik.txt", "-result=" + script,
                                                          compiler + "/common.j", compiler + "/Blizzard.j", script}));
    ASSERT_TRUE(x.waitForActive(*window));
    if (const char* shots = getenv("CORVANE_SCREENSHOTS")) x.screenshot(std::string(shots) + "/ossik-log.png");
    x.key("Escape");
    EXPECT_EQ(corvane.wait(20000), 0);
}

}  // namespace
