#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/ProfileFile.h"
#include "platform/Registry.h"
#include "support/Pack.h"

namespace {

bool isPipe(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

// A pipe where a store should be hangs nothing: a settings file that is not a file reads as
// absent and is never written; a registry file that is not a file ends the run in the report,
// which names it. Neither is moved or replaced.
TEST(StoreNotAFileRun, EveryRunEndsAndLeavesThePipeInPlace) {
    const struct Case {
        const char* what;
        bool configPipe, registryPipe;
        std::string option;  // "<game>" stands for the game folder
    } cases[] = {
        {"settings pipe, forced folder written", true, false, "--forcewc3path=<game>"},
        {"settings pipe, associations", true, false, "--sfa=ON"},
        {"registry pipe, associations", false, true, "--sfa=ON"},
        {"registry pipe, game folder searched", false, true, "--forcewc3path=<game>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Pack pack;
        const std::string config = pack.programFolder + "/config.cfg";
        const std::string registry = pack.root.mkdir("config/corvane") + "/registry.reg";
        // Where the settings file is a pipe, the registry names the game; and the other way round
        // for the mode that does not search the registry for it.
        if (c.configPipe) {
            ASSERT_EQ(::mkfifo(config.c_str(), 0644), 0);
            RegistryStore(registry).setValue(RegRoot::CurrentUser, "Software\\Blizzard Entertainment\\Warcraft III",
                                             "InstallPathX", RegValue{regtype::Sz, pack.game + '\0'});
        }
        if (c.registryPipe) {
            ASSERT_EQ(::mkfifo(registry.c_str(), 0644), 0);
        }
        if (c.registryPipe && c.option == "--sfa=ON") pack.forceGame();

        std::string option = c.option;
        if (auto at = option.find("<game>"); at != std::string::npos) option.replace(at, 6, pack.game);
        EXPECT_EQ(pack.run({option}, false, 2000), c.registryPipe ? 1 : 0) << pack.lastStderr;

        EXPECT_EQ(isPipe(config), c.configPipe);
        EXPECT_EQ(isPipe(registry), c.registryPipe);
        EXPECT_EQ(pack.lastStderr.find("Description: Path/File access error: " + registry) != std::string::npos,
                  c.registryPipe)
            << pack.lastStderr;
        for (const auto& entry : std::filesystem::directory_iterator(pack.root.file("config/corvane")))
            EXPECT_EQ(entry.path().filename().string().find(".broken-"), std::string::npos) << entry.path();
    }
}

}  // namespace
