#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/Paths.h"
#include "support/Pack.h"
#include "support/core/Processes.h"
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

// The compiler reads nothing of Corvane's input, which the test holds open, so it is done at
// once; a compiler that stays is gone soon after Corvane ends, however Corvane is ended.
TEST(OssikWindow, CompilerReadsNothingOfOursAndEndsWithUs) {
    XSession x;
    for (int signal : {0, SIGTERM, SIGINT, SIGHUP, SIGKILL}) {
        SCOPED_TRACE(signal);
        Pack pack;
        pack.forceGame();
        writeCompilerFolder(paths::parentOf(pack.programFolder));
        const std::string script = pack.root.write("maps/war3map.j", "function x\n");
        // What stays is the compiler itself, or, for a signal Corvane can catch, a program it started.
        const std::string pid = pack.root.file("java.pid");
        const std::string note = "> '" + pid + ".part'; mv '" + pid + ".part' '" + pid + "'; ";
        const std::string stay =
            signal == SIGKILL ? "echo $$ " + note + "exec sleep 600\n" : "sleep 600 & echo $! " + note + "wait\n";
        writeCompilerStandIn(pack.root.file("bin/java"), pack.root.file("java.log"), 0, std::nullopt,
                             signal ? stay : "cat > /dev/null\n");
        int input[2];
        ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
        XSession::Program corvane = x.start({pack.exe, "--ossik=" + script},
                                            {{"XDG_CONFIG_HOME", pack.root.file("config")},
                                             {"PATH", pack.root.file("bin") + ":" + getenv("PATH")}},
                                            input[0]);
        ::close(input[0]);
        if (!signal) {
            EXPECT_TRUE(x.waitForWindow(Caption));
        } else {
            ASSERT_TRUE(eventually([&] { return pack.root.exists("java.pid"); }));
            ::kill(corvane.pid(), signal);
            EXPECT_EQ(corvane.wait(20000), 128 + signal);
            EXPECT_TRUE(waitUntilGone(readFile(pid).substr(0, readFile(pid).find('\n'))));
        }
        ::close(input[1]);
    }
}

}  // namespace
