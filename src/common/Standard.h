#pragma once
#include <string>

struct App;

// The program's shared procedures.

// The information box, titled "Corvane - By Dunmarrow"; without a display, its text on standard error.
void ShowInfo(App& app, const std::string& prompt);

// What the shell says when it cannot start a file: an error box over the window that is active,
// titled with the file's name; without a display, the message on standard error.
void SayCannotStart(App& app, const std::string& title, const std::string& message);

// Without wait: opens the file through the shell and returns its result (above 32 on success).
// With wait: sets the working folder (it stays so), runs File, one blank and Parameters as one
// command and returns its exit code; raises when it cannot start.
int ExecuteFile(App& app, const std::string& operation, const std::string& file, const std::string& parameters,
                const std::string& directory, int showCmd, bool wait);

// There is no window class "Warcraft III" to find on this platform.
bool CloseWarcraftWindow();

// Four characters with the given codes, in order.
std::string BytesToStr(int a, int b, int c, int d);

// An address on the project's web site ("/index.php?topic=4263.0" and the like).
std::string WebAddress(const App& app, const std::string& pathAndQuery);

// The support forum's pages.
inline constexpr const char* ForumReplyPage = "/index.php?action=post;topic=4263.0";
inline constexpr const char* ForumTopicPage = "/index.php?topic=4263.0";
// The web site's home page, its root.
inline constexpr const char* HomePage = "/";
