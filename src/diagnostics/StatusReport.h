#pragma once
#include <string>

struct App;
struct Shared;

// The plain-text report of the system, the game and the pack that the status window shows and
// copies, lines ending in CR LF. Each step builds its whole text before adding it: a step that
// fails adds nothing, and the report goes on.
std::string BuildStatusReport(const App& app, const Shared& shared);

// The report in the forum's mark-up, stamped with the date and time given as text.
std::string WithForumMarkup(const std::string& report, const std::string& dateTime);
