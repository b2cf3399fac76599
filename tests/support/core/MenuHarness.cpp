#include "support/core/MenuHarness.h"

#include <stdexcept>

#include "support/core/ArchiveBuilder.h"
#include "support/core/TempDir.h"

namespace {

// One record of the harness: tag, length, ":", that many bytes, line feed.
bool nextRecord(const std::string& text, std::size_t& at, char& tag, std::string& value) {
    if (at >= text.size()) return false;
    tag = text[at];
    std::size_t colon = text.find(':', at + 1);
    if (colon == std::string::npos) throw std::runtime_error("menu harness: damaged record");
    std::size_t length = std::stoul(text.substr(at + 1, colon - at - 1));
    value = text.substr(colon + 1, length);
    at = colon + 1 + length + 1;
    return true;
}

}  // namespace

MenuHarnessRun runMenuHarness(const std::string& scriptPath) {
    TempDir work;
    const std::string records = work.file("records");
    int status = runProgramIn(work.path(), {"lua5.4", CORVANE_TEST_SUPPORT_DIR "/menu_harness.lua", scriptPath, records});
    MenuHarnessRun run;
    if (!work.exists("records")) {
        run.failure = "lua5.4 did not run the harness (status " + std::to_string(status) + ")";
        return run;
    }
    const std::string text = work.read("records");
    std::size_t at = 0;
    char tag;
    std::string value;
    while (nextRecord(text, at, tag, value)) {
        if (tag == 'C') run.entries.push_back({value, {}});
        else if (tag == 'R' && !run.entries.empty()) run.entries.back().commands.push_back(value);
        else if (tag == 'X') run.failure = value;
        else throw std::runtime_error("menu harness: unknown record");
    }
    run.ok = status == 0 && run.failure.empty();
    if (!run.ok && run.failure.empty()) run.failure = "exit status " + std::to_string(status);
    return run;
}

bool luaCompiles(const std::string& scriptPath) { return runProgramIn(".", {"luac5.4", "-p", scriptPath}) == 0; }
