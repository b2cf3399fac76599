#include "common/Standard.h"

#include <cstdio>

#include "common/App.h"
#include "common/Text.h"
#include "platform/Shell.h"
#include "ui/Dialogs.h"

namespace {

// With nothing to show a box on, the message still reaches the user, and stays a message: a run
// without a display is not failed for it.
bool printedWithoutDisplay(App& app, const std::string& text) {
    if (app.displayAvailable()) return false;
    std::fprintf(stderr, "%s\n", replaceAll(text, CRLF, "\n").c_str());
    return true;
}

}  // namespace

void ShowInfo(App& app, const std::string& prompt) {
    if (!printedWithoutDisplay(app, prompt)) app.dialogs->info(nullptr, "Corvane - By Dunmarrow", prompt);
}

void SayCannotStart(App& app, const std::string& title, const std::string& message) {
    if (printedWithoutDisplay(app, message)) return;
    try {
        app.dialogs->critical(nullptr, title, message);
    } catch (const std::exception&) {
        // The caller does not look at the start's result: the box must not become a failure.
        std::fprintf(stderr, "%s\n", message.c_str());
    }
}

int ExecuteFile(App& app, const std::string& operation, const std::string& file, const std::string& parameters,
                const std::string& directory, int showCmd, bool wait) {
    if (!wait) return app.shell->execute(operation, file, parameters, directory, showCmd);
    app.shell->setCurrentDirectory(directory);
    // One command text, file unquoted, exactly one blank before the parameters.
    return app.shell->runAndWait(file + " " + parameters);
}

bool CloseWarcraftWindow() { return false; }

std::string BytesToStr(int a, int b, int c, int d) {
    return std::string{static_cast<char>(a), static_cast<char>(b), static_cast<char>(c), static_cast<char>(d)};
}

std::string WebAddress(const App& app, const std::string& pathAndQuery) { return app.webSite + pathAndQuery; }
