#include "common/Standard.h"

#include <cstdio>

#include "common/App.h"
#include "common/Text.h"
#include "platform/Shell.h"
#include "ui/Dialogs.h"

void ShowInfo(App& app, const std::string& prompt) {
    // With nothing to show a box on, the message still reaches the user, and stays a message:
    // a run without a display is not failed for it.
    if (!app.displayAvailable()) {
        std::fprintf(stderr, "%s\n", replaceAll(prompt, CRLF, "\n").c_str());
        return;
    }
    app.dialogs->info(nullptr, "Corvane - By Dunmarrow", prompt);
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
