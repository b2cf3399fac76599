#include "platform/CommandLine.h"

std::vector<std::string> splitWindowsCommandLine(std::string_view text) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;  // something, even an empty quoted run, has started an argument
    bool quoted = false;

    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (!quoted && (c == ' ' || c == '\t')) {
            if (inArgument) arguments.push_back(std::move(current));
            current.clear();
            inArgument = false;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == '\\') {
            std::size_t run = 0;
            while (i < text.size() && text[i] == '\\') ++run, ++i;
            if (i < text.size() && text[i] == '"') {
                current.append(run / 2, '\\');
                if (run % 2 == 1) {
                    current += '"';
                    ++i;
                }
                // An even run leaves the quote to the quoting rules below.
            } else {
                current.append(run, '\\');
            }
            continue;
        }
        if (c == '"') {
            if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                current += '"';  // "" inside quotes: a literal quote, still quoted
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
            continue;
        }
        current += c;
        ++i;
    }
    if (inArgument) arguments.push_back(std::move(current));
    return arguments;
}

std::string quoteWindowsArgument(const std::string& argument, bool always) {
    if (!always && !argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) return argument;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count only before a quote: there each one is doubled, and one more escapes the quote.
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    // The closing quote follows: the backslashes before it are doubled too.
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}
